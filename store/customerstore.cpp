#include "customerstore.h"

#include "store/nameencoding.h"
#include "store/storequery.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <limits>

using namespace StoreQuery;

bool addCustomer(const QString &name, int sex, const QString &birthDate, const QString &phoneNumber,
                 const QString &homeAddress, const QString &homeTel, const QString &companyName,
                 const QString &office)
{
    return execPrepared(
        QStringLiteral("INSERT INTO customers(name, sex, birth_date, phone_number, home_address, "
                       "home_tel, company_name, office, is_contact, user_type)VALUES (?, ?, ?, ?, "
                       "?, ?, ?, ?, ?, ?)"),
        {encodeName(name), sex, birthDate, phoneNumber, homeAddress, homeTel,
         encodeName(companyName), office, 0, 1},
        QStringLiteral("新增客户信息出错."));
}

bool addDownloadedCustomer(const QString &name, const QString &phoneNumber,
                           const QString &companyName, const QString &office,
                           const QString &homeAddress, qint64 serverCustomerId,
                           const QString &connectionName, QString *errorText)
{
    // No title: the writer goes on with the next prospect without a box.
    return execPrepared(
        QStringLiteral("INSERT INTO customers(name, sex, birth_date, phone_number, home_address, "
                       "home_tel, company_name, office, is_contact, user_type, "
                       "server_customer_id)VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {encodeName(name), -1, QStringLiteral("1900-01-01"), phoneNumber, homeAddress,
         QStringLiteral(""), encodeName(companyName), office, 0, 1, serverCustomerId},
        QString(), QSqlDatabase::database(connectionName, false), errorText);
}

qint64 maxServerCustomerId()
{
    QSqlQuery query;
    if (!query.exec(QStringLiteral("SELECT Max(server_customer_id) from customers"))) {
        qDebug() << query.lastError().text();
        return 0;
    }
    return query.next() ? query.value(0).toLongLong() : 0;
}

bool setCustomerContacted(int customerId)
{
    return execPrepared(QStringLiteral("UPDATE customers SET is_contact = 1 WHERE id = ?"),
                        {customerId}, QStringLiteral("更新联系标志出错."));
}

bool setCustomerUserType(int customerId, int userType)
{
    return execPrepared(QStringLiteral("UPDATE customers SET user_type = ") +
                            QString::number(userType) + QStringLiteral(" WHERE id = ") +
                            QString::number(customerId),
                        {}, QStringLiteral("更新用户类型出错."));
}

int customerPageCount(const QString &filter, int pageSize)
{
    if (pageSize < 1)
        return 0;
    QString statement = QStringLiteral("SELECT Count(*) from customers");
    if (!filter.isEmpty())
        statement += QStringLiteral(" WHERE ") + filter;
    QSqlQuery query;
    if (!query.exec(statement)) {
        // The error only: the statement may carry typed search text.
        qDebug() << query.lastError().text();
        return 0;
    }
    if (!query.next())
        return 0;
    const int rows = query.value(0).toInt();
    return rows / pageSize + (rows % pageSize != 0 ? 1 : 0);
}

QSqlCustomerTableModel *loadCustomersModel(QObject *parent, const QString &filter, int page,
                                           int pageSize)
{
    auto *model = new QSqlCustomerTableModel(parent, QSqlDatabase());
    model->setTable(QStringLiteral("customers"));
    model->setEditStrategy(QSqlTableModel::OnManualSubmit);

    // The limit rides inside the filter, which Qt places after WHERE; an
    // always-true condition keeps an unfiltered page a valid statement.
    QString condition = filter;
    if (page > 0 && pageSize > 0) {
        if (condition.trimmed().isEmpty())
            condition = QStringLiteral("1 = 1");
        // Computed wide and clamped: a huge page number must not wrap to a
        // negative offset, which SQLite would read as the first page.
        const qint64 offset =
            std::min<qint64>(qint64(page - 1) * pageSize, std::numeric_limits<qint64>::max() / 2);
        condition += QStringLiteral(" LIMIT ") + QString::number(offset) + QStringLiteral(", ") +
                     QString::number(pageSize);
    }
    if (!condition.isEmpty())
        model->setFilter(condition);
    setHeaders(model, personHeaders());
    if (!model->select())
        qDebug() << model->lastError().text();
    // Rows arrive in Qt's batches as a view scrolls to them: a page is within
    // the first batch, and a list of every row holds only what was shown.

    return model;
}

int countCustomerRows(const QString &filter, const QSqlDatabase &db)
{
    return countRowsOf(QStringLiteral("SELECT 1 FROM customers") +
                           (filter.isEmpty() ? QString() : QStringLiteral(" WHERE ") + filter),
                       db);
}

QSqlTableModel *loadKinsfolkModel(QObject *parent, const QString &filter)
{
    return loadTableModel(parent, QStringLiteral("customer_kinsfolk"), filter,
                          {QStringLiteral("ID"), QStringLiteral("客户ID"), QStringLiteral("关系"),
                           QStringLiteral("姓名"), QStringLiteral("性别"), QStringLiteral("生日"),
                           QStringLiteral("电话号码"), QStringLiteral("公司"),
                           QStringLiteral("职务")});
}

bool addKinsfolk(int customerId, const QString &relation, const QString &name, int sex,
                 const QString &birthDate, const QString &phoneNumber, const QString &companyName,
                 const QString &office)
{
    return execPrepared(
        QStringLiteral("INSERT INTO customer_kinsfolk(customer_id, relation, name, sex, "
                       "birth_date, phone_number, company_name, office)VALUES (?, ?, ?, ?, ?, ?, "
                       "?, ?)"),
        {customerId, relation, name, sex, birthDate, phoneNumber, companyName, office},
        QStringLiteral("新增客户亲属信息出错."));
}

QSqlTableModel *loadCustomerTelLogsModel(QObject *parent, const QString &filter)
{
    return loadTableModel(parent, QStringLiteral("customers_tel_logs"), filter, telLogHeaders());
}

bool addCustomerTelLog(int customerId, int contactType, const QString &content,
                       qint64 nextContactTime, int nextContactType, qint64 addTime)
{
    return execPrepared(
        QStringLiteral("INSERT INTO customers_tel_logs(customer_id, add_time, contact_type, "
                       "content, next_contact_time, next_contact_type)VALUES (?, ?, ?, ?, ?, ?)"),
        {customerId, addTime, contactType, content, nextContactTime, nextContactType},
        QStringLiteral("新增电话记录出错."));
}

bool addCustomerContactTrack(int customerId, qint64 contactTime, int contactState)
{
    qDebug() << "contactState:" << contactState;
    return execPrepared(QStringLiteral("INSERT INTO customers_contact_track(customer_id, "
                                       "contact_time, contact_state)VALUES (?, ?, ?)"),
                        {customerId, contactTime, contactState},
                        QStringLiteral("新增联系跟踪记录出错."));
}

bool writeCustomerContact(int customerId, const ContactRecord &contact)
{
    return addCustomerTelLog(customerId, contact.contactType, contact.content,
                             contact.nextContactTime, contact.nextContactType, contact.addTime) &&
           addCallDetails(ProspectCalls, contact.details) &&
           addCustomerContactTrack(customerId, contact.addTime, contact.contactState) &&
           setCustomerContacted(customerId);
}

bool recordCustomerContact(int customerId, int contactType, const QString &content,
                           qint64 nextContactTime, int nextContactType, qint64 addTime,
                           int contactState, const CallDetails &details)
{
    const ContactRecord contact{contactType, content,      nextContactTime, nextContactType,
                                addTime,     contactState, details};
    return runInTransaction([&] { return writeCustomerContact(customerId, contact); },
                            QStringLiteral("新增电话记录出错."));
}

int countCustomersContacted(qint64 from, qint64 to, int contactType)
{
    return countDistinct(QStringLiteral("customers_tel_logs"), QStringLiteral("customer_id"),
                         periodCondition(QStringLiteral("add_time"), from, to) +
                             optionalEquals(QStringLiteral("contact_type"), contactType));
}

int countCustomersToContact(qint64 from, qint64 to, int nextContactType)
{
    return countDistinct(QStringLiteral("customers_tel_logs"), QStringLiteral("customer_id"),
                         periodCondition(QStringLiteral("next_contact_time"), from, to) +
                             optionalEquals(QStringLiteral("next_contact_type"), nextContactType));
}

int countCustomerContactTracks(qint64 from, qint64 to, int contactState, const QSqlDatabase &db)
{
    return countDistinct(QStringLiteral("customers_contact_track"), QStringLiteral("customer_id"),
                         periodCondition(QStringLiteral("contact_time"), from, to) +
                             optionalEquals(QStringLiteral("contact_state"), contactState),
                         db);
}
