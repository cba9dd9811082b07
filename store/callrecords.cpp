#include "callrecords.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

bool prepareCallRecords(QSqlDatabase &db)
{
    static const char *const statements[] = {
        "CREATE TABLE IF NOT EXISTS contact_durations (kind INTEGER NOT NULL, "
        "log_id INTEGER NOT NULL, seconds INTEGER NOT NULL, PRIMARY KEY (kind, log_id))",
        "CREATE TABLE IF NOT EXISTS contact_outcomes (kind INTEGER NOT NULL, "
        "log_id INTEGER NOT NULL, outcome TEXT NOT NULL, PRIMARY KEY (kind, log_id))",
    };
    QSqlQuery query(db);
    for (const char *statement : statements) {
        if (!query.exec(QString::fromLatin1(statement)))
            return false;
    }
    return true;
}
