#include "qsavecustomerslistthread.h"

#include "store/customerstore.h"
#include "store/database.h"

#include <QSqlError>

std::atomic<int> QSaveCustomersListThread::s_recordPauseMs{
    QSaveCustomersListThread::defaultRecordPauseMs};

QSaveCustomersListThread::QSaveCustomersListThread(QObject *parent) : QThread(parent) {}

QSaveCustomersListThread::~QSaveCustomersListThread()
{
    stop();
    wait();
}

void QSaveCustomersListThread::saveList(const DownloadedCustomerList &customers)
{
    // The dialog hands a batch only after the previous one completed.
    wait();
    m_customers = customers;
    m_stop.store(false);
    m_stored.store(0);
    m_failed.store(false);
    m_errorText.clear();
    start();
}

QString QSaveCustomersListThread::errorText() const
{
    return isRunning() ? QString() : m_errorText;
}

void QSaveCustomersListThread::run()
{
    // A connection belongs to the thread that opened it: this one is opened,
    // used and removed here.
    const QString connectionName =
        QStringLiteral("customer-list-writer-%1").arg(quintptr(this), 0, 16);
    {
        QSqlDatabase db = openDatabaseConnection(connectionName);
        // A connection that did not open has been reported by the store.
        const bool stored = db.isOpen() && storeBatch(connectionName);
        m_failed.store(!stored);
    }
    removeDatabaseConnection(connectionName);
    emit saveComplete();
}

bool QSaveCustomersListThread::storeBatch(const QString &connectionName)
{
    // The per-record pause paces the batch for the progress display. It runs
    // before the transaction, not inside it: held across a thousand pauses,
    // the write lock would keep every save of the agent waiting for nearly a
    // minute and then failing. The batch is committed whole either way, so
    // nothing else can tell the difference.
    int paced = 0;
    for (int position = 1; position <= m_customers.size(); ++position) {
        if (m_stop.load())
            break;
        emit saveProgress(position);
        msleep(s_recordPauseMs.load());
        paced = position;
    }

    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (!beginTransaction(connectionName)) {
        // Without a transaction nothing may be written record by record.
        m_errorText = db.lastError().text();
        return false;
    }
    for (int position = 1; position <= paced; ++position) {
        const DownloadedCustomer &customer = m_customers.at(position - 1);
        QString error;
        if (!addDownloadedCustomer(customer.name, customer.mobile, customer.company, customer.major,
                                   customer.company_address, customer.id, connectionName, &error)) {
            // A skipped record would be lost for good: the next batch starts
            // after the largest stored id. Keep the batch whole instead.
            rollbackTransaction(connectionName);
            m_errorText = error;
            return false;
        }
    }
    if (!commitTransaction(connectionName)) {
        m_errorText = db.lastError().text();
        rollbackTransaction(connectionName);
        return false;
    }
    m_stored.store(paced);
    return true;
}
