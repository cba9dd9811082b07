#include "phonekeys.h"

#include "common/messagehook.h"
#include "common/phonenumbers.h"
#include "store/database.h"
#include "store/nameencoding.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <algorithm>

namespace {
QString tableName(PersonTable table)
{
    return table == PersonTable::Customers ? QStringLiteral("customers")
                                           : QStringLiteral("helpers");
}

int kindOf(PersonTable table)
{
    return table == PersonTable::Customers ? 1 : 2;
}

bool run(QSqlQuery &query, const QString &statement)
{
    if (query.exec(statement))
        return true;
    qDebug() << "phone keys:" << statement << query.lastError().text();
    return false;
}

bool drainTable(const QSqlDatabase &db, PersonTable table)
{
    const QString kind = QString::number(kindOf(table));
    QSqlQuery pending(db);
    pending.setForwardOnly(true);
    // People deleted since they were queued simply drop out of the join.
    if (!run(pending, QStringLiteral("SELECT b.person_id, t.phone_number FROM phone_key_backlog b "
                                     "JOIN ") +
                          tableName(table) +
                          QStringLiteral(" t ON t.id = b.person_id WHERE b.kind = ") + kind))
        return false;
    QSqlQuery store(db);
    if (!store.prepare(QStringLiteral("INSERT OR IGNORE INTO phone_keys(kind, person_id, "
                                      "phone_key) VALUES (") +
                       kind + QStringLiteral(", ?, ?)")))
        return false;
    QSqlQuery drop(db);
    if (!drop.prepare(QStringLiteral("DELETE FROM phone_keys WHERE kind = ") + kind +
                      QStringLiteral(" AND person_id = ?")))
        return false;
    while (pending.next()) {
        const QVariant person = pending.value(0);
        drop.addBindValue(person);
        bool ok = drop.exec();
        const QStringList keys = phoneKeys(pending.value(1).toString());
        for (qsizetype i = 0; ok && i < keys.size(); ++i) {
            store.addBindValue(person);
            store.addBindValue(keys.at(i));
            ok = store.exec();
        }
        if (!ok) {
            qDebug() << "phone keys:" << drop.lastError().text() << store.lastError().text();
            return false;
        }
    }
    QSqlQuery clear(db);
    return run(clear, QStringLiteral("DELETE FROM phone_key_backlog WHERE kind = ") + kind);
}

// "?, ?, ?" for the keys, bound in order by bindKeys.
QString placeholders(const QStringList &keys)
{
    QStringList marks(keys.size(), QStringLiteral("?"));
    return marks.join(QStringLiteral(", "));
}
} // namespace

QString phoneDigits(const QString &phone, bool *leadingPlus)
{
    QString digits;
    digits.reserve(phone.size());
    bool plus = false;
    for (const QChar c : phone) {
        if (c.isDigit() && c.digitValue() >= 0)
            digits += QChar(u'0' + c.digitValue());
        else if (digits.isEmpty() && (c == u'+' || c == u'\uFF0B'))
            plus = true;
    }
    if (leadingPlus)
        *leadingPlus = plus && !digits.isEmpty();
    return digits;
}

QString dialDigits(const QString &phone)
{
    const QStringList numbers = dialableNumbers(phone);
    return numbers.size() == 1 ? numbers.constFirst() : QString();
}

QStringList phoneKeys(const QString &phone)
{
    const QStringList numbers = dialableNumbers(phone);
    if (numbers.isEmpty()) {
        const QString key = normalizedPhone(phone);
        return key.isEmpty() ? QStringList() : QStringList{key};
    }
    QStringList keys;
    for (const QString &number : numbers) {
        const QString key = normalizedPhone(number);
        if (!key.isEmpty() && !keys.contains(key))
            keys.append(key);
    }
    return keys;
}

QString normalizedPhone(const QString &phone)
{
    bool plus = false;
    QString digits = phoneDigits(phone, &plus);
    if (plus && digits.startsWith(QLatin1String("86")))
        digits.remove(0, 2);
    else if (digits.startsWith(QLatin1String("0086")))
        digits.remove(0, 4);
    return digits;
}

QList<PhoneHolder> findPhoneHolders(PersonTable table, const QString &phone, int limit,
                                    const QSqlDatabase &db)
{
    QList<PhoneHolder> holders;
    const QStringList keys = phoneKeys(phone);
    if (keys.isEmpty())
        return holders;
    drainPhoneKeyBacklog(db);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // The key index drives: for the order of the ids SQLite would otherwise
    // walk every key of the kind (60 ms on a million people).
    if (!query.prepare(
            QStringLiteral("SELECT DISTINCT t.id, t.name, t.phone_number, t.user_type "
                           "FROM phone_keys k INDEXED BY idx_phone_keys_key CROSS JOIN ") +
            tableName(table) + QStringLiteral(" t ON t.id = k.person_id WHERE k.kind = ") +
            QString::number(kindOf(table)) + QStringLiteral(" AND k.phone_key IN (") +
            placeholders(keys) + QStringLiteral(") ORDER BY t.id LIMIT ") +
            QString::number(qMax(1, limit)))) {
        qDebug() << "phone lookup:" << query.lastError().text();
        return holders;
    }
    for (const QString &key : keys)
        query.addBindValue(key);
    if (!query.exec()) {
        qDebug() << "phone lookup:" << query.lastError().text();
        return holders;
    }
    while (query.next()) {
        PhoneHolder holder;
        holder.id = query.value(0).toLongLong();
        holder.name = table == PersonTable::Customers ? decodeName(query.value(1).toString())
                                                      : query.value(1).toString();
        holder.phone = query.value(2).toString();
        holder.userType = query.value(3).toInt();
        holder.table = table;
        holders.append(holder);
    }
    return holders;
}

QList<PhoneHolder> findPhoneHoldersOfBothKinds(const QString &phone, const PersonRef &self,
                                               int limit, const QSqlDatabase &db)
{
    QList<PhoneHolder> holders;
    for (const PersonTable table : {PersonTable::Customers, PersonTable::Helpers}) {
        // One more than asked, so that leaving self out still leaves limit.
        int taken = 0;
        for (const PhoneHolder &holder : findPhoneHolders(table, phone, limit + 1, db)) {
            if ((table != self.table || holder.id != self.id) && taken++ < limit)
                holders.append(holder);
        }
    }
    return holders;
}

PhoneGuardedWrite writeGuardedByPhone(const QString &phone, const PersonRef &self,
                                      const QList<PhoneHolder> &accepted,
                                      QList<PhoneHolder> *holders,
                                      const std::function<bool()> &write, const QString &title)
{
    QSqlDatabase db = QSqlDatabase::database();
    QSqlQuery transaction(db);
    // Write-locking from the start: the look and the write see one state.
    if (!transaction.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        reportWarning(transaction.lastError().text(), title);
        return PhoneGuardedWrite::Failed;
    }
    const auto rollBack = [&] { transaction.exec(QStringLiteral("ROLLBACK")); };
    const QList<PhoneHolder> found = findPhoneHoldersOfBothKinds(phone, self, 5, db);
    const bool allAccepted = std::all_of(found.begin(), found.end(), [&](const PhoneHolder &h) {
        return std::any_of(accepted.begin(), accepted.end(), [&](const PhoneHolder &a) {
            return a.table == h.table && a.id == h.id;
        });
    });
    if (!allAccepted) {
        rollBack();
        *holders = found;
        return PhoneGuardedWrite::Held;
    }
    if (!write()) {
        rollBack();
        return PhoneGuardedWrite::Failed;
    }
    if (!transaction.exec(QStringLiteral("COMMIT"))) {
        const QString error = transaction.lastError().text();
        rollBack();
        reportWarning(error, title);
        return PhoneGuardedWrite::Failed;
    }
    return PhoneGuardedWrite::Written;
}

QList<bool> knownPhones(PersonTable table, const QStringList &phones, const QSqlDatabase &db)
{
    QList<bool> known(phones.size(), false);
    drainPhoneKeyBacklog(db);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral("SELECT 1 FROM phone_keys WHERE kind = ") +
                       QString::number(kindOf(table)) +
                       QStringLiteral(" AND phone_key = ? LIMIT 1")))
        return known;
    for (qsizetype i = 0; i < phones.size(); ++i) {
        for (const QString &key : phoneKeys(phones.at(i))) {
            query.addBindValue(key);
            known[i] = query.exec() && query.next();
            query.finish();
            if (known.at(i))
                break;
        }
    }
    return known;
}

int countKnownPhones(PersonTable table, const QStringList &phones, const QSqlDatabase &db)
{
    return int(knownPhones(table, phones, db).count(true));
}

QString describePhoneHolders(PersonTable table, const QList<PhoneHolder> &holders)
{
    QStringList lines;
    for (const PhoneHolder &holder : holders) {
        QString line = QStringLiteral("%1 (%2)").arg(holder.name, holder.phone);
        if (holder.userType == 0)
            line += QStringLiteral(" - 已放弃");
        else if (holder.userType == 2)
            line += table == PersonTable::Customers ? QStringLiteral(" - 已成交")
                                                    : QStringLiteral(" - 团队成员");
        lines.append(line);
    }
    return lines.join(QLatin1Char('\n'));
}

QString describePhoneHolders(const QList<PhoneHolder> &holders)
{
    QStringList lines;
    for (const PhoneHolder &holder : holders) {
        const bool prospect = holder.table == PersonTable::Customers;
        const bool member = !prospect && holder.userType == 2;
        QString line = (prospect ? QStringLiteral("准客户 ")
                        : member ? QStringLiteral("团队成员 ")
                                 : QStringLiteral("准增员 ")) +
                       QStringLiteral("%1 (%2)").arg(holder.name, holder.phone);
        if (holder.userType == 0)
            line += QStringLiteral(" - 已放弃");
        else if (prospect && holder.userType == 2)
            line += QStringLiteral(" - 已成交");
        lines.append(line);
    }
    return lines.join(QLatin1Char('\n'));
}

bool preparePhoneKeys(QSqlDatabase &db)
{
    bool existed = db.tables(QSql::Tables).contains(QStringLiteral("phone_keys"));
    QSqlQuery query(db);
    // Made when a person had one number: its key (kind, person) cannot hold
    // a second one. Filled afresh below like a new table.
    if (existed &&
        query.exec(QStringLiteral("SELECT count(*) FROM pragma_table_info('phone_keys') "
                                  "WHERE pk > 0")) &&
        query.next() && query.value(0).toInt() == 2) {
        query.finish();
        if (!run(query, QStringLiteral("DROP TABLE phone_keys")))
            return false;
        existed = false;
    }
    query.finish();
    QStringList statements = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS phone_keys (kind INTEGER NOT NULL, "
                       "person_id INTEGER NOT NULL, phone_key TEXT NOT NULL, "
                       "PRIMARY KEY (kind, person_id, phone_key))"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS idx_phone_keys_key ON phone_keys(kind, "
                       "phone_key)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS phone_key_backlog (kind INTEGER NOT NULL, "
                       "person_id INTEGER NOT NULL, PRIMARY KEY (kind, person_id))"),
    };
    for (const PersonTable table : {PersonTable::Customers, PersonTable::Helpers}) {
        const QString name = tableName(table);
        const QString kind = QString::number(kindOf(table));
        const QString queue = QStringLiteral(" BEGIN INSERT OR IGNORE INTO phone_key_backlog "
                                             "(kind, person_id) VALUES (") +
                              kind + QStringLiteral(", new.id); END");
        statements << QStringLiteral("CREATE TRIGGER IF NOT EXISTS trg_%1_phone_insert AFTER "
                                     "INSERT ON %1")
                              .arg(name) +
                          queue
                   << QStringLiteral("CREATE TRIGGER IF NOT EXISTS trg_%1_phone_update AFTER "
                                     "UPDATE OF phone_number ON %1")
                              .arg(name) +
                          queue
                   << QStringLiteral("CREATE TRIGGER IF NOT EXISTS trg_%1_phone_delete AFTER "
                                     "DELETE ON %1 BEGIN DELETE FROM phone_keys WHERE kind = %2 "
                                     "AND person_id = old.id; END")
                          .arg(name, kind);
        // Everybody stored before the table existed is queued once.
        if (!existed)
            statements << QStringLiteral("INSERT OR IGNORE INTO phone_key_backlog(kind, "
                                         "person_id) SELECT %1, id FROM %2")
                              .arg(kind, name);
    }
    for (const QString &statement : statements) {
        if (!run(query, statement))
            return false;
    }
    return drainPhoneKeyBacklog(db);
}

bool drainPhoneKeyBacklog(const QSqlDatabase &db)
{
    {
        QSqlQuery probe(db);
        probe.setForwardOnly(true);
        if (!probe.exec(QStringLiteral("SELECT 1 FROM phone_key_backlog LIMIT 1")))
            return false;
        if (!probe.next())
            return true;
    }
    QSqlQuery savepoint(db);
    if (!run(savepoint, QStringLiteral("SAVEPOINT phone_keys")))
        return false;
    if (drainTable(db, PersonTable::Customers) && drainTable(db, PersonTable::Helpers))
        return run(savepoint, QStringLiteral("RELEASE phone_keys"));
    run(savepoint, QStringLiteral("ROLLBACK TO phone_keys"));
    run(savepoint, QStringLiteral("RELEASE phone_keys"));
    return false;
}
