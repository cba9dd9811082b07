#include "changewatch.h"

#include "store/database.h"

#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

bool DataChangeWatch::changed()
{
    const QSqlDatabase db = QSqlDatabase::database(defaultConnectionName(), false);
    sqlite3 *handle = sqliteHandle(db);
    if (!handle)
        return true;
    QSqlQuery query(db);
    long long dataVersion = -1;
    if (query.exec(QStringLiteral("PRAGMA data_version")) && query.next())
        dataVersion = query.value(0).toLongLong();
    const long long ownChanges = sqlite3_total_changes64(handle);
    // An unreadable version counts as a change: better a recount too many.
    const bool changed =
        dataVersion < 0 || dataVersion != m_dataVersion || ownChanges != m_ownChanges;
    m_dataVersion = dataVersion;
    m_ownChanges = ownChanges;
    return changed;
}
