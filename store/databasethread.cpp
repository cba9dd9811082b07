#include "databasethread.h"

#include "store/database.h"

#include <sqlite3.h>

// Lives in the thread: the connection is opened, used and removed there.
class DatabaseThreadWorker : public QObject
{
public:
    DatabaseThreadWorker(const QString &name, const std::atomic_bool &stopping)
        : m_name(name), m_stopping(stopping)
    {
    }

    void run(const DatabaseThread::Job &job)
    {
        if (m_stopping.load())
            return;
        if (!m_opened) {
            m_opened = true;
            // A connection that does not open has been reported by the store;
            // the jobs then see a closed connection and give up.
            const QSqlDatabase db = openDatabaseConnection(m_name);
            m_handle.store(db.isOpen() ? sqliteHandle(db) : nullptr);
        }
        job(QSqlDatabase::database(m_name, false));
    }

    void close()
    {
        m_handle.store(nullptr);
        if (m_opened)
            removeDatabaseConnection(m_name);
        m_opened = false;
    }

    void interrupt()
    {
        if (sqlite3 *handle = m_handle.load())
            sqlite3_interrupt(handle);
    }

private:
    QString m_name;
    const std::atomic_bool &m_stopping;
    bool m_opened = false;
    std::atomic<sqlite3 *> m_handle{nullptr};
};

DatabaseThread::DatabaseThread(const QString &purpose, QObject *parent) : QObject(parent)
{
    // A name no other thread uses, so that no two threads share a connection.
    m_worker = new DatabaseThreadWorker(
        QStringLiteral("%1-%2").arg(purpose).arg(quintptr(this), 0, 16), m_stopping);
    m_worker->moveToThread(&m_thread);
    m_thread.setObjectName(purpose);
    m_thread.start(QThread::LowPriority);
}

DatabaseThread::~DatabaseThread()
{
    m_stopping = true;
    m_worker->interrupt();
    DatabaseThreadWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker] { worker->close(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

void DatabaseThread::post(Job job)
{
    DatabaseThreadWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, job = std::move(job)] { worker->run(job); }, Qt::QueuedConnection);
}

void DatabaseThread::interrupt()
{
    m_worker->interrupt();
}
