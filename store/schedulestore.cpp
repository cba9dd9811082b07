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
} // namespace

QSqlCustomerCalendarQueryModel *loadCustomerCalendarModel(QObject *parent, qint64 from, qint64 to,
                                                          int nextContactType)
{
    auto *model = new QSqlCustomerCalendarQueryModel(parent);
    runQuery(model, QStringLiteral("SELECT customers_tel_logs.id, next_contact_time, name  FROM "
                                   "customers_tel_logs, customers  WHERE customers.id = "
                                   "customers_tel_logs.customer_id AND next_contact_time >= ") +
                        number(from) + QStringLiteral(" AND next_contact_time <= ") + number(to) +
                        QStringLiteral(" AND next_contact_type = ") + number(nextContactType));
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
                        QStringLiteral(" AND helpers.user_type = 1"));
    setHeaders(model, calendarHeaders());
    return model;
}

QSqlCustomerQueryModel *loadCustomersToContactModel(QObject *parent, qint64 from, qint64 to,
                                                    int nextContactType)
{
    auto *model = new QSqlCustomerQueryModel(parent);
    runQuery(model, customerColumns + QStringLiteral("next_contact_time >= ") + number(from) +
                        QStringLiteral(" AND next_contact_time <= ") + number(to) +
                        optionalEquals(QStringLiteral("next_contact_type"), nextContactType) +
                        QStringLiteral(" GROUP BY customers.id "));
    setHeaders(model, personHeaders());
    return model;
}

QSqlQueryModel *loadHelpersToContactModel(QObject *parent, qint64 from, qint64 to,
                                          int nextContactType)
{
    auto *model = new QSqlQueryModel(parent);
    runQuery(model,
             QStringLiteral("SELECT helpers.id, name, sex, birth_date, phone_number, "
                            "home_address, home_tel, company_name, office, is_contact, user_type  "
                            "FROM helpers, helpers_tel_logs  WHERE helpers.id = "
                            "helpers_tel_logs.helper_id AND next_contact_time >= ") +
                 number(from) + QStringLiteral(" AND next_contact_time <= ") + number(to) +
                 optionalEquals(QStringLiteral("next_contact_type"), nextContactType));
    setHeaders(model, personHeaders());
    return model;
}

QSqlCustomerQueryModel *loadContactedCustomersModel(QObject *parent, qint64 from, qint64 to,
                                                    int contactType, const QString &filter)
{
    auto *model = new QSqlCustomerQueryModel(parent);
    runQuery(model, customerColumns + QStringLiteral("add_time >= ") + number(from) +
                        QStringLiteral(" AND add_time <= ") + number(to) +
                        optionalEquals(QStringLiteral("contact_type"), contactType) +
                        andFilter(filter) + QStringLiteral(" GROUP BY customers.id "));
    setHeaders(model, personHeaders());
    return model;
}
