#include "phonekeys.h"

#include "store/database.h"
#include "store/nameencoding.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <sqlite3.h>

namespace {
void phoneKeyFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int size = sqlite3_value_bytes(argv[0]);
    const QByteArray key = normalizedPhone(QString::fromUtf8(text, size)).toLatin1();
    // No digits, no number: such rows never count as duplicates of each other.
    if (key.isEmpty())
        sqlite3_result_null(context);
    else
        sqlite3_result_text(context, key.constData(), int(key.size()), SQLITE_TRANSIENT);
}

QString tableName(PersonTable table)
{
    return table == PersonTable::Customers ? QStringLiteral("customers")
                                           : QStringLiteral("helpers");
}
} // namespace

QString normalizedPhone(const QString &phone)
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
    const QString key = normalizedPhone(phone);
    if (key.isEmpty())
        return holders;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // The expression must read exactly as in the index for SQLite to use it.
    if (!query.prepare(QStringLiteral("SELECT id, name, phone_number, user_type FROM ") +
                       tableName(table) +
                       QStringLiteral(" WHERE phone_key(phone_number) = ? ORDER BY id LIMIT ") +
                       QString::number(qMax(1, limit)))) {
        qDebug() << "phone lookup:" << query.lastError().text();
        return holders;
    }
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
        holders.append(holder);
    }
    return holders;
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

bool registerPhoneKeyFunction(QSqlDatabase &db)
{
    sqlite3 *sqlite = sqliteHandle(db);
    if (!sqlite)
        return false;
    return sqlite3_create_function_v2(
               sqlite, "phone_key", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
               nullptr, phoneKeyFunction, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool createPhoneKeyIndexes(QSqlDatabase &db)
{
    static const char *const statements[] = {
        "CREATE INDEX IF NOT EXISTS idx_customers_phone_key ON customers(phone_key(phone_number))",
        "CREATE INDEX IF NOT EXISTS idx_helpers_phone_key ON helpers(phone_key(phone_number))",
    };
    bool ok = true;
    QSqlQuery query(db);
    for (const char *statement : statements) {
        if (!query.exec(QString::fromLatin1(statement))) {
            qDebug() << "phone index:" << query.lastError().text();
            ok = false;
        }
    }
    return ok;
}
