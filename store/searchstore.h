#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

// The main window's one search box: prospects, recruits and team members
// whose name contains the text (prospect names compared decoded) or, when
// the text is a number or part of one, whose number contains its digits
// (compared through the phone keys, so spaces, hyphens and +86 do not matter).
// Within each kind the people come in the order of the index that found them.

enum class FoundKind
{
    Prospect = 1,
    Recruit = 2,
    Member = 3,
};

struct FoundPerson
{
    FoundKind kind = FoundKind::Prospect;
    qint64 id = 0;
    QString name;
    QString phone;
    qint64 lastContact = 0; // seconds; 0 when never contacted
    qint64 nextContact = 0; // of the latest log; 0 when none
};

// True when the text asks for a number: digits, blanks, + - ( ) only, with
// at least one digit.
bool searchesNumber(const QString &text);

// At most `limit` people of each table, prospects first; by number, those
// whose number begins with the digits come first. Abandoned people are left
// out. Names and digits inside numbers are found through the trigram indexes
// (textsearch.h) once they are built.
QList<FoundPerson> searchPeople(const QString &text, int limit = 50,
                                const QSqlDatabase &db = QSqlDatabase::database());
// True when searchPeople would read through a table instead of an index
// (one or two digits inside numbers, an index still being built): such a
// search belongs on a thread of its own.
bool searchNeedsScan(const QString &text, const QSqlDatabase &db = QSqlDatabase::database());
