#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

// Phone numbers compared for duplicates: only the digits count (full-width
// ones too), and a leading +86 or 0086 is dropped, so "+86 138-0013-8000"
// and "13800138000" are one number. Empty when the text holds no digit.
QString normalizedPhone(const QString &phone);
// The same digits without dropping anything; leadingPlus tells whether a + (or
// a full-width one) came before the first digit.
QString phoneDigits(const QString &phone, bool *leadingPlus = nullptr);
// What a phone dials when it holds exactly one number that may be dialled
// (common/phonenumbers.h): "+86 (138) 0013-8000" gives "+8613800138000";
// empty for anything else.
QString dialDigits(const QString &phone);
// The normalised numbers a stored text holds, one each: every number it
// may dial, or, for a text that may not be dialled, all of its digits as one
// (as normalizedPhone gives them). Empty without a digit.
QStringList phoneKeys(const QString &phone);

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
    PersonTable table = PersonTable::Customers;
};

// A stored person, or (id -1) one not stored yet.
struct PersonRef
{
    PersonTable table = PersonTable::Customers;
    qint64 id = -1;
};

// The people of the table who hold one of the text's numbers (phoneKeys),
// at most limit of them; the indexed side table keeps this instant.
QList<PhoneHolder> findPhoneHolders(PersonTable table, const QString &phone, int limit = 5,
                                    const QSqlDatabase &db = QSqlDatabase::database());

// The prospects and the recruits (team members included) with the number,
// at most limit of each kind, leaving self out.
QList<PhoneHolder> findPhoneHoldersOfBothKinds(const QString &phone, const PersonRef &self,
                                               int limit = 5,
                                               const QSqlDatabase &db = QSqlDatabase::database());

enum class PhoneGuardedWrite
{
    Written,
    Held,
    Failed
};

// Runs write in one write-locking transaction on the default connection,
// after looking there for the people of both kinds (self left out) who have
// the number: when one of them is not among accepted, nothing is written and
// all of them go to holders. So nobody can take the number between the look
// and the write. A transaction that cannot begin or commit is reported under
// the title; write reports its own failures.
PhoneGuardedWrite writeGuardedByPhone(const QString &phone, const PersonRef &self,
                                      const QList<PhoneHolder> &accepted,
                                      QList<PhoneHolder> *holders,
                                      const std::function<bool()> &write, const QString &title);

// For each text whether some stored person of the table already has one of its numbers,
// one indexed lookup each; run inside a write transaction, it is the check
// that guards the write.
QList<bool> knownPhones(PersonTable table, const QStringList &phones,
                        const QSqlDatabase &db = QSqlDatabase::database());
// How many of the numbers some stored person of the table already has (a
// number given twice counts twice); for reporting a batch before it is added.
int countKnownPhones(PersonTable table, const QStringList &phones,
                     const QSqlDatabase &db = QSqlDatabase::database());

// "张三 (13800138000)", one holder a line, with the state of those who are
// not active ones.
QString describePhoneHolders(PersonTable table, const QList<PhoneHolder> &holders);
// The same for holders of both kinds, each named with its kind: "准客户 张三
// (13800138000)", "团队成员 李四 (...)".
QString describePhoneHolders(const QList<PhoneHolder> &holders);

// The side table of normalised numbers: phone_keys(kind, person_id,
// phone_key), one row per number a person holds, with an index on the key
// (kind 1 prospects, 2 recruits); a file made when it held one row per
// person is filled afresh. Plain
// SQL triggers on the two tables queue every inserted or renumbered person in
// phone_key_backlog and drop the keys of deleted ones, so every writer keeps
// it right (other connections, other programs); the normalising itself
// happens here, when the queue is worked off: at start-up and before each
// lookup. Creates what is missing and queues every existing person once.
bool preparePhoneKeys(QSqlDatabase &db);
// Computes the keys of the queued people. Runs in a savepoint, so it works
// inside or outside a transaction.
bool drainPhoneKeyBacklog(const QSqlDatabase &db = QSqlDatabase::database());
