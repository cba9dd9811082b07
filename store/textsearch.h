#pragma once

#include <QSqlDatabase>
#include <QString>

// Searching names and numbers anywhere inside them through the FTS5 trigram
// indexes of sidetables.h. A trigram index finds text of three characters and
// more; names are mostly two or three Chinese characters, so they are indexed
// with every character written three times ("张伟" as "张张张伟伟伟"): then any
// part of a name, one character included, is three characters or more, and
// the tripled part occurs in the tripled name exactly when the part occurs in
// the name. Whatever the index finds is checked again with the plain
// comparison, so the index only ever narrows the rows a scan would read.

// Each character (each code point) three times.
QString tripledText(const QString &text);
// An FTS5 phrase of the text: in double quotes, its own quotes doubled.
QString ftsPhrase(const QString &text);

// Makes the index entries of the people of a kind (1 prospects, 2 recruits)
// with ids from..to; within the caller's transaction.
bool indexNames(const QSqlDatabase &db, int kind, qint64 from, qint64 to);
// Indexes the people queued by the triggers (new or renamed), at most limit
// of them (all when negative), in a savepoint of its own. False when it could
// not (the file was busy): the queue stays for the next time.
bool drainNameBacklog(const QSqlDatabase &db, int limit = -1);
bool nameBacklogPending(const QSqlDatabase &db);

// The condition that the person (of the kind; its id and stored name in the
// given columns) has a name containing the typed text, as the agent reads it:
// through the index when it is built, else by decoding and comparing every
// name. Typed text enters as quoted literals only.
QString nameContainsCondition(int kind, const QString &idColumn, const QString &nameColumn,
                              const QString &typed,
                              const QSqlDatabase &db = QSqlDatabase::database());
// The plain comparison alone, as the condition above checks every row found.
QString nameScanCondition(int kind, const QString &nameColumn, const QString &typed);
// True when the names of the kind can be searched through the index now (it
// is built, and the few people queued since have just been indexed).
bool nameIndexUsable(int kind, const QSqlDatabase &db = QSqlDatabase::database());
