#include "schedulestore.h"

#include "store/storequery.h"

using namespace StoreQuery;

namespace {
QString number(qint64 value)
{
    return QString::number(value);
}

QStringList calendarHeaders()
{
    return {QStringLiteral("ID"), QStringLiteral("时间"), QStringLiteral("姓名")};
}

const QString customerColumns = QStringLiteral(
    "SELECT customers.id, name, sex, birth_date, phone_number, home_address, home_tel, "
    "company_name, office, is_contact, user_type  FROM customers, customers_tel_logs  WHERE "
    "customers.id = customers_tel_logs.customer_id AND ");

const QString latestCustomerLog =
    isLatestContactLog(QStringLiteral("customers_tel_logs"), QStringLiteral("customer_id"),
                       QStringLiteral("customers_tel_logs"));
const QString latestHelperLog =
    isLatestContactLog(QStringLiteral("helpers_tel_logs"), QStringLiteral("helper_id"),
                       QStringLiteral("helpers_tel_logs"));

QString customersToContact(qint64 from, qint64 to, int nextContactType)
{
    return customerColumns + QStringLiteral("next_contact_time >= ") + number(from) +
           QStringLiteral(" AND next_contact_time <= ") + number(to) +
           optionalEquals(QStringLiteral("next_contact_type"), nextContactType) +
           QStringLiteral(" AND ") + latestCustomerLog +
           QStringLiteral(" ORDER BY next_contact_time");
}

QString helpersToContact(qint64 from, qint64 to, int nextContactType)
{
    return QStringLiteral("SELECT helpers.id, name, sex, birth_date, phone_number, "
                          "home_address, home_tel, company_name, office, is_contact, user_type  "
                          "FROM helpers, helpers_tel_logs  WHERE helpers.id = "
                          "helpers_tel_logs.helper_id AND next_contact_time >= ") +
           number(from) + QStringLiteral(" AND next_contact_time <= ") + number(to) +
           optionalEquals(QStringLiteral("next_contact_type"), nextContactType) +
           QStringLiteral(" AND ") + latestHelperLog +
           QStringLiteral(" ORDER BY next_contact_time");
}

QString contactedCustomers(qint64 from, qint64 to, int contactType, const QString &filter)
{
    return customerColumns + QStringLiteral("add_time >= ") + number(from) +
           QStringLiteral(" AND add_time <= ") + number(to) +
           optionalEquals(QStringLiteral("contact_type"), contactType) + andFilter(filter) +
           QStringLiteral(" GROUP BY customers.id ");
}
} // namespace

QString isLatestContactLog(const QString &logs, const QString &personColumn, const QString &log)
{
    return QStringLiteral("NOT EXISTS (SELECT 1 FROM %1 later WHERE later.%2 = %3.%2 "
                          "AND later.id > %3.id)")
        .arg(logs, personColumn, log);
}

QSqlCustomerCalendarQueryModel *loadCustomerCalendarModel(QObject *parent, qint64 from, qint64 to,
                                                          int nextContactType)
{
    auto *model = new QSqlCustomerCalendarQueryModel(parent);
    runQuery(model, QStringLiteral("SELECT customers_tel_logs.id, next_contact_time, name  FROM "
                                   "customers_tel_logs, customers  WHERE customers.id = "
                                   "customers_tel_logs.customer_id AND next_contact_time >= ") +
                        number(from) + QStringLiteral(" AND next_contact_time <= ") + number(to) +
                        QStringLiteral(" AND next_contact_type = ") + number(nextContactType) +
                        QStringLiteral(" AND ") + latestCustomerLog);
    setHeaders(model, calendarHeaders());
    return model;
}

QSqlQueryModel *loadHelperCalendarModel(QObject *parent, qint64 from, qint64 to,
                                        int nextContactType)
{
    auto *model = new QSqlQueryModel(parent);
    runQuery(model, QStringLiteral("SELECT helpers_tel_logs.id, next_contact_time, name  FROM "
                                   "helpers_tel_logs, helpers  WHERE helpers.id = "
                                   "helpers_tel_logs.helper_id AND next_contact_time >= ") +
                        number(from) + QStringLiteral(" AND next_contact_time <= ") + number(to) +
                        QStringLiteral(" AND next_contact_type = ") + number(nextContactType) +
                        QStringLiteral(" AND helpers.user_type = 1 AND ") + latestHelperLog);
    setHeaders(model, calendarHeaders());
    return model;
}

QSqlCustomerQueryModel *loadCustomersToContactModel(QObject *parent, qint64 from, qint64 to,
                                                    int nextContactType)
{
    auto *model = new QSqlCustomerQueryModel(parent);
    runQuery(model, customersToContact(from, to, nextContactType));
    setHeaders(model, personHeaders());
    return model;
}

QSqlQueryModel *loadHelpersToContactModel(QObject *parent, qint64 from, qint64 to,
                                          int nextContactType)
{
    auto *model = new QSqlQueryModel(parent);
    runQuery(model, helpersToContact(from, to, nextContactType));
    setHeaders(model, personHeaders());
    return model;
}

QSqlCustomerQueryModel *loadContactedCustomersModel(QObject *parent, qint64 from, qint64 to,
                                                    int contactType, const QString &filter)
{
    auto *model = new QSqlCustomerQueryModel(parent);
    runQuery(model, contactedCustomers(from, to, contactType, filter));
    setHeaders(model, personHeaders());
    return model;
}

int countCustomersToContactRows(qint64 from, qint64 to, int nextContactType)
{
    return countRowsOf(customersToContact(from, to, nextContactType));
}

int countHelpersToContactRows(qint64 from, qint64 to, int nextContactType)
{
    return countRowsOf(helpersToContact(from, to, nextContactType));
}

int countContactedCustomersRows(qint64 from, qint64 to, int contactType, const QString &filter)
{
    return countRowsOf(contactedCustomers(from, to, contactType, filter));
}
