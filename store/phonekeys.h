#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

// Phone numbers compared for duplicates: only the digits count (full-width
// ones too), and a leading +86 or 0086 is dropped, so "+86 138-0013-8000"
// and "13800138000" are one number. Empty when the text holds no digit.
QString normalizedPhone(const QString &phone);

enum class PersonTable
{
    Customers,
    Helpers
};

// Someone already stored under a number (name decoded).
struct PhoneHolder
{
    qint64 id = -1;
    QString name;
    QString phone;
    int userType = 1;
};

// The people of the table whose number normalises like the given one, at
// most limit of them; an index on the normalised number keeps this instant.
QList<PhoneHolder> findPhoneHolders(PersonTable table, const QString &phone, int limit = 5,
                                    const QSqlDatabase &db = QSqlDatabase::database());

// "张三 (13800138000)", one holder a line, with the state of those who are
// not active ones.
QString describePhoneHolders(PersonTable table, const QList<PhoneHolder> &holders);

// The SQL function phone_key(text) behind the indexes; registered on every
// connection, because writes to the tables evaluate it.
bool registerPhoneKeyFunction(QSqlDatabase &db);
bool createPhoneKeyIndexes(QSqlDatabase &db);
