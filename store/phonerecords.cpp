#include "phonerecords.h"

#include "common/dateutils.h"
#include "common/messagehook.h"
#include "store/phonekeys.h"
#include "store/storequery.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QVariant>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace StoreQuery;

namespace {
const QString recordTitle = QStringLiteral("保存通话录音出错.");

QString logTable(int kind)
{
    return kind == 1 ? QStringLiteral("customers_tel_logs") : QStringLiteral("helpers_tel_logs");
}

QString recordingPath(const QString &file)
{
    return QDir(recordingsFolder()).filePath(file);
}

// Only names this program gave: no folder parts, nothing hidden.
bool plainName(const QString &file)
{
    return !file.isEmpty() && !file.contains(QLatin1Char('/')) &&
           !file.startsWith(QLatin1Char('.'));
}

bool removeRecordingFile(const QString &file, QStringList *problems = nullptr)
{
    if (!plainName(file))
        return true;
    const QString path = recordingPath(file);
    if (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT)
        return true;
    if (problems)
        problems->append(
            QStringLiteral("%1: %2").arg(file, QString::fromLocal8Bit(strerror(errno))));
    return false;
}

PendingCall pendingFrom(const QSqlQuery &query)
{
    PendingCall call;
    call.id = query.value(0).toLongLong();
    call.kind = query.value(1).toInt();
    call.personId = query.value(2).toLongLong();
    call.number = query.value(3).toString();
    call.started = query.value(4).toLongLong();
    call.seconds = query.value(5).toLongLong();
    call.file = query.value(6).toString();
    call.sha256 = query.value(7).toString();
    return call;
}

const char pendingColumns[] = "id, kind, person_id, number, started, seconds, file, sha256";
} // namespace

bool preparePhoneRecords(QSqlDatabase &db)
{
    static const char *const statements[] = {
        "CREATE TABLE IF NOT EXISTS contact_recordings (kind INTEGER NOT NULL, "
        "log_id INTEGER NOT NULL, file TEXT NOT NULL, seconds INTEGER NOT NULL, "
        "sha256 TEXT NOT NULL)",
        "CREATE INDEX IF NOT EXISTS idx_contact_recordings_log ON contact_recordings(kind, log_id)",
        "CREATE TABLE IF NOT EXISTS pending_calls (id INTEGER PRIMARY KEY AUTOINCREMENT, "
        "kind INTEGER NOT NULL, person_id INTEGER NOT NULL, number TEXT NOT NULL, "
        "started INTEGER NOT NULL, seconds INTEGER NOT NULL, file TEXT, sha256 TEXT)",
        "CREATE INDEX IF NOT EXISTS idx_pending_calls_person ON pending_calls(kind, person_id)",
        "CREATE TABLE IF NOT EXISTS missed_calls (id INTEGER PRIMARY KEY AUTOINCREMENT, "
        "number TEXT NOT NULL, at INTEGER NOT NULL, kind INTEGER NOT NULL, "
        "person_id INTEGER NOT NULL, called_back INTEGER NOT NULL DEFAULT 0)",
        "CREATE INDEX IF NOT EXISTS idx_missed_calls_open ON missed_calls(called_back, number)",
    };
    QSqlQuery query(db);
    for (const char *statement : statements) {
        if (!query.exec(QString::fromLatin1(statement)))
            return false;
    }
    return true;
}

QString recordingsFolder()
{
    return QDir::current().absoluteFilePath(QStringLiteral("recordings"));
}

bool ensurePrivateFolder(const QString &path, QString *error)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        *error = QStringLiteral("无法创建文件夹 %1: %2")
                     .arg(path, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    struct stat info;
    if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid()) {
        *error = QStringLiteral("%1 不是本用户的文件夹 (可能是链接), 不使用它.").arg(path);
        return false;
    }
    if ((info.st_mode & 0777) != 0700 && ::chmod(name.constData(), 0700) != 0) {
        *error = QStringLiteral("无法把 %1 设为仅本人可用: %2")
                     .arg(path, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    return true;
}

QString fileSha256(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return QString();
    struct stat info;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    char buffer[64 * 1024];
    while (ok) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0)
            ok = false;
        if (got <= 0)
            break;
        hash.addData(QByteArrayView(buffer, got));
    }
    ::close(fd);
    return ok ? QString::fromLatin1(hash.result().toHex()) : QString();
}

qint64 addPendingCall(const PendingCall &call)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("INSERT INTO pending_calls(kind, person_id, number, started, "
                                 "seconds, file, sha256) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant &value :
         {QVariant(call.kind), QVariant(call.personId), QVariant(call.number),
          QVariant(call.started), QVariant(call.seconds),
          call.file.isEmpty() ? QVariant() : QVariant(call.file),
          call.file.isEmpty() ? QVariant() : QVariant(call.sha256)})
        query.addBindValue(value);
    if (!query.exec()) {
        reportWarning(query.lastError().text(), recordTitle);
        return -1;
    }
    return query.lastInsertId().toLongLong();
}

QList<PendingCall> pendingCallsFor(int kind, qint64 personId, const QString &phone)
{
    QList<PendingCall> calls;
    QSqlQuery query;
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM pending_calls WHERE (kind = ? AND person_id = ?) "
                                 "OR kind = 0 ORDER BY started, id")
                      .arg(QLatin1String(pendingColumns)));
    query.addBindValue(kind);
    query.addBindValue(personId);
    if (!query.exec())
        return calls;
    const QString key = normalizedPhone(phone);
    while (query.next()) {
        const PendingCall call = pendingFrom(query);
        // Calls of numbers nobody had belong to whoever has the number now.
        if (call.kind != 0 || (!key.isEmpty() && normalizedPhone(call.number) == key))
            calls.append(call);
    }
    return calls;
}

bool deletePendingCall(qint64 id)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("SELECT file FROM pending_calls WHERE id = ?"));
    query.addBindValue(id);
    if (!query.exec())
        return false;
    const QString file = query.next() ? query.value(0).toString() : QString();
    if (!execPrepared(QStringLiteral("DELETE FROM pending_calls WHERE id = ?"), {id},
                      QStringLiteral("删除录音出错.")))
        return false;
    QStringList problems;
    if (!removeRecordingFile(file, &problems)) {
        reportWarning(problems.join(QLatin1Char('\n')), QStringLiteral("删除录音出错."));
        return false;
    }
    return true;
}

bool claimPendingCalls(int kind, qint64 logId, const QList<qint64> &ids)
{
    for (const qint64 id : ids) {
        QSqlQuery query;
        query.prepare(QStringLiteral("SELECT %1 FROM pending_calls WHERE id = ?")
                          .arg(QLatin1String(pendingColumns)));
        query.addBindValue(id);
        if (!query.exec()) {
            reportWarning(query.lastError().text(), recordTitle);
            return false;
        }
        if (!query.next())
            continue; // deleted meanwhile
        const PendingCall call = pendingFrom(query);
        if (plainName(call.file)) {
            // A second name that says which log the file belongs to; the old
            // one goes once the log is committed.
            const QString name =
                QStringLiteral("%1-%2-%3.mkv")
                    .arg(kind == 1 ? QStringLiteral("prospect") : QStringLiteral("recruit"))
                    .arg(logId)
                    .arg(QDateTime::fromSecsSinceEpoch(call.started)
                             .toString(QStringLiteral("yyyyMMdd-hhmmss")));
            QString stored = call.file;
            if (::link(QFile::encodeName(recordingPath(call.file)).constData(),
                       QFile::encodeName(recordingPath(name)).constData()) == 0 ||
                errno == EEXIST)
                stored = name;
            if (!execPrepared(QStringLiteral("INSERT INTO contact_recordings(kind, log_id, file, "
                                             "seconds, sha256) VALUES (?, ?, ?, ?, ?)"),
                              {kind, logId, stored, call.seconds, call.sha256}, recordTitle))
                return false;
        }
        if (!execPrepared(QStringLiteral("DELETE FROM pending_calls WHERE id = ?"), {id},
                          recordTitle))
            return false;
    }
    return true;
}

void tidyRecordings()
{
    QDir folder(recordingsFolder());
    const QStringList names = folder.entryList({QStringLiteral("call-*.mkv")}, QDir::Files);
    if (names.isEmpty())
        return;
    QSqlQuery query;
    query.setForwardOnly(true);
    QSet<QString> pending;
    if (!query.exec(QStringLiteral("SELECT file FROM pending_calls WHERE file IS NOT NULL")))
        return;
    while (query.next())
        pending.insert(query.value(0).toString());
    for (const QString &name : names) {
        struct stat info;
        // Only a name whose file has another name (a log's) goes.
        if (!pending.contains(name) &&
            ::lstat(QFile::encodeName(folder.filePath(name)).constData(), &info) == 0 &&
            S_ISREG(info.st_mode) && info.st_nlink > 1)
            removeRecordingFile(name);
    }
}

QList<Recording> recordingsOfLog(int kind, qint64 logId)
{
    QList<Recording> recordings;
    QSqlQuery query;
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT file, seconds, sha256 FROM contact_recordings WHERE "
                                 "kind = ? AND log_id = ? ORDER BY rowid"));
    query.addBindValue(kind);
    query.addBindValue(logId);
    if (!query.exec())
        return recordings;
    while (query.next())
        recordings.append({kind, logId, query.value(0).toString(), query.value(1).toLongLong(),
                           query.value(2).toString()});
    return recordings;
}

RecordingState checkRecording(const QString &file, const QString &sha256)
{
    if (!plainName(file) || !QFileInfo(recordingPath(file)).isFile())
        return RecordingState::Missing;
    return fileSha256(recordingPath(file)) == sha256 ? RecordingState::Sound
                                                     : RecordingState::Altered;
}

QString recordingProblem(RecordingState state)
{
    switch (state) {
    case RecordingState::Sound:
        return QString();
    case RecordingState::Missing:
        return QStringLiteral("录音文件不存在");
    case RecordingState::Altered:
        return QStringLiteral("录音文件已被改动 (校验值不符)");
    }
    return QString();
}

PruneReport pruneRecordings(int days, qint64 now)
{
    PruneReport report;
    if (days <= 0)
        return report;
    const qint64 before = now - qint64(days) * 24 * 60 * 60;
    QStringList files;
    const bool ok = runInTransaction(
        [&] {
            QSqlQuery query;
            query.setForwardOnly(true);
            for (const int kind : {1, 2}) {
                const QString old =
                    QStringLiteral("FROM contact_recordings WHERE kind = %1 AND log_id IN "
                                   "(SELECT id FROM %2 WHERE add_time < %3)")
                        .arg(kind)
                        .arg(logTable(kind))
                        .arg(before);
                if (!query.exec(QStringLiteral("SELECT file ") + old))
                    return false;
                while (query.next())
                    files.append(query.value(0).toString());
                if (!query.exec(QStringLiteral("DELETE ") + old))
                    return false;
            }
            const QString oldPending =
                QStringLiteral("FROM pending_calls WHERE file IS NOT NULL AND started < %1")
                    .arg(before);
            if (!query.exec(QStringLiteral("SELECT file ") + oldPending))
                return false;
            while (query.next())
                files.append(query.value(0).toString());
            return query.exec(QStringLiteral("DELETE ") + oldPending);
        },
        QStringLiteral("清理录音出错."));
    if (!ok)
        return report;
    for (const QString &file : std::as_const(files)) {
        const qint64 size = QFileInfo(recordingPath(file)).size();
        if (removeRecordingFile(file, &report.problems)) {
            ++report.files;
            report.bytes += size;
        }
    }
    return report;
}

QString pruneReportText(const PruneReport &report)
{
    QString text = QStringLiteral("已删除 %1 个过期录音 (%2 KB)")
                       .arg(report.files)
                       .arg((report.bytes + 1023) / 1024);
    if (!report.problems.isEmpty())
        text += QStringLiteral(", 无法删除: ") + report.problems.join(QStringLiteral("; "));
    return text;
}

QStringList personRecordingFiles(int kind, qint64 personId)
{
    QStringList files;
    QSqlQuery query;
    query.setForwardOnly(true);
    const QString person = kind == 1 ? QStringLiteral("customer_id") : QStringLiteral("helper_id");
    if (query.exec(QStringLiteral("SELECT r.file FROM contact_recordings r JOIN %1 l ON l.id = "
                                  "r.log_id WHERE r.kind = %2 AND l.%3 = %4 UNION ALL SELECT file "
                                  "FROM pending_calls WHERE kind = %2 AND person_id = %4 AND file "
                                  "IS NOT NULL")
                       .arg(logTable(kind))
                       .arg(kind)
                       .arg(person)
                       .arg(personId))) {
        while (query.next())
            files.append(query.value(0).toString());
    }
    return files;
}

bool deletePersonRecordings(int kind, qint64 personId)
{
    const QStringList files = personRecordingFiles(kind, personId);
    const QString person = kind == 1 ? QStringLiteral("customer_id") : QStringLiteral("helper_id");
    const bool ok = runInTransaction(
        [&] {
            QSqlQuery query;
            return query.exec(QStringLiteral("DELETE FROM contact_recordings WHERE kind = %1 AND "
                                             "log_id IN (SELECT id FROM %2 WHERE %3 = %4)")
                                  .arg(kind)
                                  .arg(logTable(kind))
                                  .arg(person)
                                  .arg(personId)) &&
                   query.exec(QStringLiteral("DELETE FROM pending_calls WHERE kind = %1 AND "
                                             "person_id = %2")
                                  .arg(kind)
                                  .arg(personId));
        },
        QStringLiteral("删除录音出错."));
    if (!ok)
        return false;
    QStringList problems;
    for (const QString &file : files)
        removeRecordingFile(file, &problems);
    if (!problems.isEmpty())
        reportWarning(problems.join(QLatin1Char('\n')), QStringLiteral("删除录音出错."));
    return problems.isEmpty();
}

bool addMissedCall(const QString &number, qint64 at, int kind, qint64 personId)
{
    return execPrepared(QStringLiteral("INSERT INTO missed_calls(number, at, kind, person_id) "
                                       "VALUES (?, ?, ?, ?)"),
                        {number, at, kind, personId}, QStringLiteral("保存未接来电出错."));
}

int countMissedCalls()
{
    return countRowsOf(QStringLiteral("SELECT id FROM missed_calls WHERE called_back = 0"));
}

bool markMissedCallsCalledBack(const QString &number)
{
    const QString key = normalizedPhone(number);
    if (key.isEmpty())
        return true;
    QSqlQuery query;
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT id, number FROM missed_calls WHERE called_back = 0")))
        return false;
    QVariantList ids;
    while (query.next()) {
        if (normalizedPhone(query.value(1).toString()) == key)
            ids.append(query.value(0));
    }
    for (const QVariant &id : std::as_const(ids)) {
        if (!execPrepared(QStringLiteral("UPDATE missed_calls SET called_back = 1 WHERE id = ?"),
                          {id}, QStringLiteral("保存未接来电出错.")))
            return false;
    }
    return true;
}

QSqlQueryModel *loadMissedCallsModel(QObject *parent)
{
    auto *model = new QSqlQueryModel(parent);
    runQuery(model,
             QStringLiteral(
                 "SELECT datetime(m.at, 'unixepoch', 'localtime'), m.number, CASE m.kind WHEN 1 "
                 "THEN '准客户' WHEN 2 THEN CASE h.user_type WHEN 2 THEN '团队成员' ELSE '准增员' "
                 "END ELSE '' END, coalesce(decode_name(c.name), h.name, ''), m.person_id, m.kind, "
                 "m.id FROM missed_calls m LEFT JOIN customers c ON m.kind = 1 AND c.id = "
                 "m.person_id LEFT JOIN helpers h ON m.kind = 2 AND h.id = m.person_id WHERE "
                 "m.called_back = 0 ORDER BY m.at DESC, m.id DESC"));
    setHeaders(model, {QStringLiteral("时间"), QStringLiteral("号码"), QStringLiteral("类别"),
                       QStringLiteral("姓名")});
    return model;
}

PersonGlance glanceAt(int kind, qint64 personId)
{
    PersonGlance glance;
    QSqlQuery query;
    query.setForwardOnly(true);
    const bool prospect = kind == 1;
    query.prepare(prospect ? QStringLiteral("SELECT decode_name(name), user_type FROM customers "
                                            "WHERE id = ?")
                           : QStringLiteral("SELECT name, user_type FROM helpers WHERE id = ?"));
    query.addBindValue(personId);
    if (!query.exec() || !query.next())
        return glance;
    glance.name = query.value(0).toString();
    const int userType = query.value(1).toInt();
    glance.kindText = prospect
                          ? (userType == 2 ? QStringLiteral("客户") : QStringLiteral("准客户"))
                          : (userType == 2 ? QStringLiteral("团队成员") : QStringLiteral("准增员"));
    query.prepare(QStringLiteral("SELECT add_time, next_contact_time, next_contact_type FROM %1 "
                                 "WHERE %2 = ? ORDER BY id DESC LIMIT 1")
                      .arg(logTable(kind),
                           prospect ? QStringLiteral("customer_id") : QStringLiteral("helper_id")));
    query.addBindValue(personId);
    if (query.exec() && query.next()) {
        glance.lastContact = query.value(0).toLongLong();
        glance.nextContact = query.value(1).toLongLong();
        glance.nextContactType = query.value(2).toInt();
    }
    return glance;
}
