#include "schedulestore.h"

#include "store/sidetables.h"
#include "store/storequery.h"

#include <QSqlQuery>

using namespace StoreQuery;

namespace {
QString number(qint64 value)
{
    return QString::number(value);
}

struct Planned
{
    int kind;
    QString people;
    QString logs;
    QString person;
};

const Planned prospects{1, QStringLiteral("customers"), QStringLiteral("customers_tel_logs"),
                        QStringLiteral("customer_id")};
const Planned recruits{2, QStringLiteral("helpers"), QStringLiteral("helpers_tel_logs"),
                       QStringLiteral("helper_id")};

QStringList calendarHeaders()
{
    return {QStringLiteral("ID"), QStringLiteral("时间"), QStringLiteral("姓名"),
            QStringLiteral("人员ID")};
}

QStringList dueHeaders()
{
    return personHeaders() << QStringLiteral("约定时间");
}

const QString personColumns = QStringLiteral(
    "%1.id, %1.name, %1.sex, %1.birth_date, %1.phone_number, %1.home_address, %1.home_tel, "
    "%1.company_name, %1.office, %1.is_contact, %1.user_type");

// Due, in one of two equal forms. With the side table: its row of the person
// (the latest log, kept by the triggers) in the range of its index, the
// abandoned left out. Without it (a file still being built): the logs in the
// range that are their person's latest, of people not abandoned.
QString sideDue(const Planned &p, qint64 from, qint64 to, int type)
{
    return QStringLiteral("d.kind = %1 AND d.user_type <> 0 AND d.next_time >= %2 AND "
                          "d.next_time <= %3")
               .arg(p.kind)
               .arg(from)
               .arg(to) +
           optionalEquals(QStringLiteral("d.next_type"), type);
}

QString plainDue(const Planned &p, qint64 from, qint64 to, int type)
{
    return QStringLiteral("%1.user_type <> 0 AND %2.next_contact_time >= %3 AND "
                          "%2.next_contact_time <= %4")
               .arg(p.people, p.logs)
               .arg(from)
               .arg(to) +
           optionalEquals(p.logs + QStringLiteral(".next_contact_type"), type) +
           QStringLiteral(" AND ") + isLatestContactLog(p.logs, p.person, p.logs);
}

// The people due with the promised time, in its order.
QString dueList(const Planned &p, qint64 from, qint64 to, int type, bool side)
{
    const QString columns = personColumns.arg(p.people);
    if (side)
        return QStringLiteral("SELECT %1, d.next_time FROM contact_due d JOIN %2 ON %2.id = "
                              "d.person_id WHERE %3 ORDER BY d.next_time, d.person_id")
            .arg(columns, p.people, sideDue(p, from, to, type));
    return QStringLiteral("SELECT %1, %2.next_contact_time FROM %3, %2 WHERE %3.id = %2.%4 AND "
                          "%5 ORDER BY %2.next_contact_time, %3.id")
        .arg(columns, p.logs, p.people, p.person, plainDue(p, from, to, type));
}

// What dueList holds, counted without reading the people: the triggers keep
// a row of contact_due only while its person exists.
int countDue(const Planned &p, qint64 from, qint64 to, int type, const QSqlDatabase &db)
{
    if (scheduleTablesBuilt(db))
        return countRowsOf(
            QStringLiteral("SELECT 1 FROM contact_due d WHERE ") + sideDue(p, from, to, type), db);
    return countRowsOf(dueList(p, from, to, type, false), db);
}

QString calendar(const Planned &p, qint64 from, qint64 to, int type)
{
    if (scheduleTablesBuilt())
        return QStringLiteral("SELECT d.log_id, d.next_time, %1.name, d.person_id FROM "
                              "contact_due d JOIN %1 ON %1.id = d.person_id WHERE %2 ORDER BY "
                              "d.next_time, d.person_id")
            .arg(p.people, sideDue(p, from, to, type));
    return QStringLiteral("SELECT %1.id, %1.next_contact_time, %2.name, %2.id FROM %1, %2 WHERE "
                          "%2.id = %1.%3 AND %4 AND %1.next_contact_type = %5 ORDER BY "
                          "%1.next_contact_time, %2.id")
        .arg(p.logs, p.people, p.person, plainDue(p, from, to, 0))
        .arg(type);
}

QString contactedCustomers(qint64 from, qint64 to, int contactType, const QString &filter)
{
    return QStringLiteral(
               "SELECT customers.id, name, sex, birth_date, phone_number, home_address, "
               "home_tel, company_name, office, is_contact, user_type  FROM customers, "
               "customers_tel_logs  WHERE customers.id = customers_tel_logs.customer_id AND "
               "add_time >= ") +
           number(from) + QStringLiteral(" AND add_time <= ") + number(to) +
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
    runQuery(model, calendar(prospects, from, to, nextContactType));
    setHeaders(model, calendarHeaders());
    return model;
}

QSqlQueryModel *loadHelperCalendarModel(QObject *parent, qint64 from, qint64 to,
                                        int nextContactType)
{
    auto *model = new QSqlQueryModel(parent);
    runQuery(model, calendar(recruits, from, to, nextContactType));
    setHeaders(model, calendarHeaders());
    return model;
}

QSqlCustomerQueryModel *loadCustomersToContactModel(QObject *parent, qint64 from, qint64 to,
                                                    int nextContactType)
{
    auto *model = new QSqlCustomerQueryModel(parent);
    runQuery(model, dueList(prospects, from, to, nextContactType, scheduleTablesBuilt()));
    setHeaders(model, dueHeaders());
    return model;
}

QSqlQueryModel *loadHelpersToContactModel(QObject *parent, qint64 from, qint64 to,
                                          int nextContactType)
{
    auto *model = new QSqlQueryModel(parent);
    runQuery(model, dueList(recruits, from, to, nextContactType, scheduleTablesBuilt()));
    setHeaders(model, dueHeaders());
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

int countCustomersToContactRows(qint64 from, qint64 to, int nextContactType, const QSqlDatabase &db)
{
    return countDue(prospects, from, to, nextContactType, db);
}

int countHelpersToContactRows(qint64 from, qint64 to, int nextContactType, const QSqlDatabase &db)
{
    return countDue(recruits, from, to, nextContactType, db);
}

int countContactedCustomersRows(qint64 from, qint64 to, int contactType, const QString &filter,
                                const QSqlDatabase &db)
{
    // The ids in the period's logs (one read of their time index), less the
    // few of them no prospect has (contact_orphans holds every such id):
    // instead of reading a prospect's row for every id.
    if (filter.isEmpty() && scheduleTablesBuilt(db)) {
        const QString type = optionalEquals(QStringLiteral("contact_type"), contactType);
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (query.exec(QStringLiteral("SELECT (SELECT count(DISTINCT customer_id) FROM "
                                      "customers_tel_logs WHERE add_time >= %1 AND add_time <= "
                                      "%2%3) - (SELECT count(*) FROM contact_orphans o WHERE "
                                      "o.kind = 1 AND NOT EXISTS (SELECT 1 FROM customers WHERE "
                                      "id = o.person_id) AND EXISTS (SELECT 1 FROM "
                                      "customers_tel_logs WHERE customer_id = o.person_id AND "
                                      "add_time >= %1 AND add_time <= %2%3))")
                           .arg(from)
                           .arg(to)
                           .arg(type)) &&
            query.next())
            return query.value(0).toInt();
    }
    return countRowsOf(contactedCustomers(from, to, contactType, filter), db);
}

QString scheduledContactsStatement(qint64 from, qint64 to, bool names)
{
    QStringList parts;
    for (const Planned *p : {&prospects, &recruits}) {
        if (scheduleTablesBuilt() && !names)
            parts << QStringLiteral("SELECT %1, d.person_id, d.next_time, d.next_type, NULL, "
                                    "NULL FROM contact_due d WHERE %2")
                         .arg(p->kind)
                         .arg(sideDue(*p, from, to, 0));
        else if (scheduleTablesBuilt())
            parts << QStringLiteral("SELECT %1, d.person_id, d.next_time, d.next_type, p.name, "
                                    "p.phone_number FROM contact_due d JOIN %2 p ON p.id = "
                                    "d.person_id WHERE %3")
                         .arg(p->kind)
                         .arg(p->people, sideDue(*p, from, to, 0));
        else
            parts << QStringLiteral("SELECT %1, l.%2, l.next_contact_time, l.next_contact_type, "
                                    "p.name, p.phone_number FROM %3 l JOIN %4 p ON p.id = l.%2 "
                                    "WHERE p.user_type <> 0 AND l.next_contact_time >= %5 AND "
                                    "l.next_contact_time <= %6 AND ")
                             .arg(p->kind)
                             .arg(p->person, p->logs, p->people)
                             .arg(from)
                             .arg(to) +
                         isLatestContactLog(p->logs, p->person, QStringLiteral("l"));
    }
    return parts.join(QStringLiteral(" UNION ALL ")) + QStringLiteral(" ORDER BY 3, 1, 2");
}
