#include "snapshots.h"

#include "common/appsettings.h"
#include "common/dateutils.h"
#include "store/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>

#include <sqlite3.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString filePrefix = QStringLiteral("mwdb-");
const QString fileSuffix = QStringLiteral(".dat");
const QString stampFormat = QStringLiteral("yyyyMMdd-hhmmss");
const QString partSuffix = QStringLiteral(".part");
// Why the last snapshot of this run failed; cleared by one that succeeds.
QString lastFailure;

bool syncToDisk(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && ::fsync(file.handle()) == 0;
}

QString lastError(sqlite3 *db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

// Snapshots never change once written, so they are read as immutable files:
// no lock, no journal, nothing created beside them.
sqlite3 *openReadOnly(const QString &path)
{
    const QByteArray uri = QByteArrayLiteral("file:") +
                           QUrl::toPercentEncoding(QFileInfo(path).absoluteFilePath(), "/") +
                           QByteArrayLiteral("?immutable=1");
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(uri.constData(), &db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOFOLLOW,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

qint64 countRows(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    qint64 result = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        result = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return result;
}

// Why a file in the snapshot folder is none of this program's snapshots, as
// start-up judges mwdb.dat: the agent's own regular file, no link, carrying
// the program's mark (or its tables, from before files were marked). Empty
// when it is one.
QString foreignReason(const QString &path)
{
    const QString notOurs = QStringLiteral("不是本程序的备份");
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("无法读取备份文件。");
    if (S_ISLNK(info.st_mode) || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
        return notOurs + QStringLiteral(" (链接、其他用户的文件或不是普通文件)。");
    sqlite3 *db = openReadOnly(path);
    const qint64 mark = db ? countRows(db, "PRAGMA application_id") : -1;
    const qint64 tables =
        db ? countRows(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                           "('customers', 'customers_tel_logs')")
           : -1;
    sqlite3_close(db);
    // Unreadable is damaged rather than foreign: the quick check refuses it.
    if (mark < 0 || tables < 0 || mark == databaseApplicationId || (mark == 0 && tables == 2))
        return QString();
    return notOurs + QStringLiteral("。");
}

// A second snapshot within the same second is named "mwdb-<stamp>-2.dat"; the
// number orders it after the first (0 for none, -1 for no snapshot name).
int sequenceOf(const QString &fileName)
{
    if (!fileName.startsWith(filePrefix) || !fileName.endsWith(fileSuffix))
        return -1;
    const QString rest =
        fileName.mid(filePrefix.size() + stampFormat.size(),
                     fileName.size() - filePrefix.size() - stampFormat.size() - fileSuffix.size());
    if (rest.isEmpty())
        return 0;
    bool ok = false;
    const int number = rest.startsWith(u'-') ? rest.mid(1).toInt(&ok) : 0;
    return ok && number > 1 ? number : -1;
}

QDateTime stampOf(const QString &fileName)
{
    if (sequenceOf(fileName) < 0)
        return {};
    return QDateTime::fromString(fileName.mid(filePrefix.size(), stampFormat.size()), stampFormat);
}
} // namespace

QString snapshotFolder()
{
    return QFileInfo(QString::fromLatin1(databaseFileName)).absolutePath() +
           QStringLiteral("/backups");
}

QList<SnapshotInfo> listSnapshots()
{
    const QDateTime now = Clock::now();
    QList<SnapshotInfo> snapshots;
    const QFileInfoList files =
        QDir(snapshotFolder())
            .entryInfoList({filePrefix + QStringLiteral("*") + fileSuffix}, QDir::Files);
    for (const QFileInfo &file : files) {
        SnapshotInfo info;
        info.taken = stampOf(file.fileName());
        if (!info.taken.isValid())
            continue;
        info.path = file.absoluteFilePath();
        info.size = file.size();
        info.foreignReason = foreignReason(info.path);
        info.foreign = !info.foreignReason.isEmpty();
        info.future = info.taken > now;
        snapshots.append(info);
    }
    std::sort(snapshots.begin(), snapshots.end(), [](const SnapshotInfo &a, const SnapshotInfo &b) {
        if (a.future != b.future)
            return b.future;
        if (a.taken != b.taken)
            return a.taken > b.taken;
        return sequenceOf(QFileInfo(a.path).fileName()) > sequenceOf(QFileInfo(b.path).fileName());
    });
    return snapshots;
}

bool readSnapshotCounts(SnapshotInfo &info)
{
    sqlite3 *db = info.foreign ? nullptr : openReadOnly(info.path);
    if (!db)
        return false;
    info.prospects = countRows(db, "SELECT count(*) FROM customers");
    info.recruits = countRows(db, "SELECT count(*) FROM helpers");
    info.orders = countRows(db, "SELECT count(*) FROM customers_orders");
    sqlite3_close(db);
    return info.prospects >= 0;
}

bool snapshotDue(const QDateTime &now)
{
    // A copy dated ahead (the clock was once wrong) would hold the daily copy
    // off until that date.
    // One copy per calendar day: a copy made at 23:00 must not hold off the
    // next morning's, whatever hour the agent starts at.
    // Nor does a file that is none of ours, named like a copy.
    for (const SnapshotInfo &info : listSnapshots()) {
        if (info.taken <= now && !info.foreign)
            return info.taken.date() != now.date();
    }
    return true;
}

void removeUnfinishedSnapshots()
{
    const QDir folder(snapshotFolder());
    for (const QFileInfo &file :
         folder.entryInfoList({filePrefix + QStringLiteral("*") + partSuffix},
                              QDir::Files | QDir::System | QDir::Hidden)) {
        QFile::remove(file.absoluteFilePath());
    }
}

QStringList snapshotProblems(const QDateTime &now)
{
    QStringList problems;
    const QFileInfo folder(snapshotFolder());
    const QString name = QDir::toNativeSeparators(folder.absoluteFilePath());
    if ((folder.exists() || folder.isSymLink()) && !folder.isDir())
        problems << QStringLiteral("备份文件夹的位置上有一个同名文件，无法备份: ") + name;
    else if (folder.isDir() && !folder.isWritable())
        problems << QStringLiteral("备份文件夹不能写入，无法备份: ") + name;
    if (!lastFailure.isEmpty())
        problems << QStringLiteral("上次备份失败: ") + lastFailure;
    int future = 0;
    for (const SnapshotInfo &info : listSnapshots())
        future += info.taken > now ? 1 : 0;
    if (future > 0)
        problems << QStringLiteral("有 %1 个备份的日期晚于现在 (电脑时间曾经不对)，"
                                   "每日备份和恢复不把它们当作最新的备份。")
                        .arg(future);
    return problems;
}

bool dailySnapshotDue(const QDateTime &now)
{
    // The phone scripts are seeded into every new file; the rest is the agent's.
    QSqlQuery query(QSqlDatabase::database(defaultConnectionName(), false));
    const bool holdsData =
        query.exec(QStringLiteral(
            "SELECT EXISTS(SELECT 1 FROM customers) OR EXISTS(SELECT 1 FROM helpers) "
            "OR EXISTS(SELECT 1 FROM products) OR EXISTS(SELECT 1 FROM customers_orders) "
            "OR EXISTS(SELECT 1 FROM teammate_task) "
            "OR EXISTS(SELECT 1 FROM teammate_earning_report)")) &&
        query.next() && query.value(0).toBool();
    return holdsData && snapshotDue(now);
}

void pruneSnapshots(int keep)
{
    QList<SnapshotInfo> snapshots = listSnapshots();
    // Files of others are not ours to delete.
    snapshots.removeIf([](const SnapshotInfo &info) { return info.foreign; });
    for (qsizetype i = std::max(keep, 1); i < snapshots.size(); ++i)
        QFile::remove(snapshots.at(i).path);
}

bool snapshotIsSound(const QString &path, QString *error)
{
    if (const QString reason = foreignReason(path); !reason.isEmpty()) {
        *error = reason;
        return false;
    }
    sqlite3 *db = openReadOnly(path);
    if (!db) {
        *error = QStringLiteral("无法打开备份文件。");
        return false;
    }
    sqlite3_stmt *statement = nullptr;
    QString verdict;
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        verdict =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    else
        verdict = lastError(db);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    if (verdict == QLatin1String("ok"))
        return true;
    *error = QStringLiteral("备份文件已损坏: ") + verdict;
    return false;
}

SnapshotJob::SnapshotJob(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (!step(pagesPerStep))
            m_timer.stop();
    });
}

SnapshotJob::~SnapshotJob()
{
    if (m_flush) {
        // A flush cannot be interrupted; the file it syncs is dropped below.
        disconnect(m_flush.get(), nullptr, this, nullptr);
        m_flush->wait();
        if (!m_finished)
            QFile::remove(m_partPath);
    } else if (m_backup) {
        conclude(false, QStringLiteral("cancelled"));
    }
}

bool SnapshotJob::begin(const QDateTime &now)
{
    m_error.clear();
    sqlite3 *source = sqliteHandle(QSqlDatabase::database(defaultConnectionName(), false));
    const QDir folder(snapshotFolder());
    if (!source || !QDir().mkpath(folder.path())) {
        m_error = QStringLiteral("无法创建备份文件夹 ") + QDir::toNativeSeparators(folder.path());
        lastFailure = m_error;
        return false;
    }
    QFile::setPermissions(folder.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QString base = filePrefix + now.toString(stampFormat);
    for (int n = 2; QFileInfo::exists(folder.filePath(base + fileSuffix)); ++n)
        base = filePrefix + now.toString(stampFormat) + QStringLiteral("-%1").arg(n);
    m_finalPath = folder.filePath(base + fileSuffix);
    // A new file of an unpredictable name, created owner-only before SQLite
    // writes a byte; a link planted beside it is never followed.
    m_partPath = m_finalPath + QLatin1Char('.') +
                 QString::number(QRandomGenerator::system()->generate64(), 36) + partSuffix;
    QFile part(m_partPath);
    if (!part.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        !part.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        m_error = QDir::toNativeSeparators(m_partPath) + QStringLiteral(": ") + part.errorString();
        lastFailure = m_error;
        return false;
    }
    part.close();
    if (sqlite3_open_v2(QFile::encodeName(m_partPath).constData(), &m_destination,
                        SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        conclude(false, lastError(m_destination));
        return false;
    }
    // No journal: an unfinished copy is thrown away anyway. Synced once at the end.
    sqlite3_exec(m_destination, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr,
                 nullptr);
    m_backup = sqlite3_backup_init(m_destination, "main", source, "main");
    if (!m_backup) {
        conclude(false, lastError(m_destination));
        return false;
    }
    return true;
}

void SnapshotJob::runInBackground()
{
    if (!m_backup)
        return;
    m_inBackground = true;
    m_timer.start();
}

bool SnapshotJob::runToEnd()
{
    m_timer.stop();
    m_inBackground = false;
    while (step(-1)) {
    }
    return m_error.isEmpty() && QFileInfo::exists(m_finalPath);
}

bool SnapshotJob::step(int pages)
{
    if (!m_backup)
        return false;
    const int rc = sqlite3_backup_step(m_backup, pages);
    if (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        // A writer holds the file for a moment; the next step tries again.
        emit progress(sqlite3_backup_pagecount(m_backup) - sqlite3_backup_remaining(m_backup),
                      sqlite3_backup_pagecount(m_backup));
        return true;
    }
    if (rc != SQLITE_DONE) {
        conclude(false, lastError(m_destination));
        return false;
    }
    conclude(true, QString());
    return false;
}

void SnapshotJob::conclude(bool ok, const QString &error)
{
    if (m_backup && sqlite3_backup_finish(m_backup) != SQLITE_OK && ok) {
        ok = false;
        m_error = lastError(m_destination);
    }
    m_backup = nullptr;
    sqlite3_close(m_destination);
    m_destination = nullptr;
    if (!ok) {
        publish(false, error);
        return;
    }
    // The copy was written without syncing; the one flush to disk of the whole
    // file would stall the window on a large file, so it runs on a thread.
    if (!m_inBackground) {
        publish(syncToDisk(m_partPath), QString());
        return;
    }
    auto *flush = QThread::create([this] { m_synced = syncToDisk(m_partPath); });
    m_flush.reset(flush);
    connect(flush, &QThread::finished, this, [this] { publish(m_synced, QString()); });
    flush->start();
}

void SnapshotJob::publish(bool ok, const QString &error)
{
    if (ok && !QFile::rename(m_partPath, m_finalPath)) {
        ok = false;
        m_error = QStringLiteral("无法保存备份文件 ") + QDir::toNativeSeparators(m_finalPath);
    }
    if (!ok) {
        if (m_error.isEmpty())
            m_error = error.isEmpty() ? QStringLiteral("无法写入备份文件。") : error;
        QFile::remove(m_partPath);
        lastFailure = m_error;
    } else {
        lastFailure.clear();
        pruneSnapshots(appSettings.snapshotsKept());
    }
    m_finished = true;
    emit finished(ok);
}

QString newestSoundSnapshot()
{
    QString ignored;
    for (const SnapshotInfo &info : listSnapshots()) {
        if (snapshotIsSound(info.path, &ignored))
            return info.path;
    }
    return QString();
}

bool replaceDamagedDatabase(const QString &snapshotPath, QString *damagedPath, QString *error)
{
    const QString file = QFileInfo(QString::fromLatin1(databaseFileName)).absoluteFilePath();
    // The logs belong to the damaged file: left behind, SQLite would replay
    // them into the copy. All of them move, or none does.
    const QStringList suffixes = {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"),
                                  QStringLiteral("-journal")};
    const auto present = [](const QString &path) {
        const QFileInfo info(path);
        return info.exists() || info.isSymLink();
    };
    const auto anyPresent = [&](const QString &base) {
        return std::any_of(suffixes.begin(), suffixes.end(),
                           [&](const QString &suffix) { return present(base + suffix); });
    };
    QString aside = file + QStringLiteral(".damaged");
    for (int n = 2; anyPresent(aside); ++n)
        aside = file + QStringLiteral(".damaged-%1").arg(n);
    QStringList moved;
    for (const QString &suffix : suffixes) {
        if (!present(file + suffix))
            continue;
        if (!QFile::rename(file + suffix, aside + suffix)) {
            for (const QString &back : moved)
                QFile::rename(aside + back, file + back);
            *error = QStringLiteral("无法重命名损坏的文件 ") +
                     QDir::toNativeSeparators(file + suffix) +
                     QStringLiteral("\n数据文件没有改动。");
            return false;
        }
        moved << suffix;
    }
    const QString part = file + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(snapshotPath, part) ||
        !QFile::setPermissions(part, QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        !QFile::rename(part, file)) {
        QFile::remove(part);
        for (const QString &back : moved)
            QFile::rename(aside + back, file + back);
        *error = QStringLiteral("无法复制备份文件 ") + QDir::toNativeSeparators(snapshotPath);
        return false;
    }
    *damagedPath = aside;
    return true;
}

bool restoreSnapshot(const QString &path, QString *error, QString *safetyCopy)
{
    if (!snapshotIsSound(path, error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(defaultConnectionName(), false);
    sqlite3 *destination = sqliteHandle(db);
    if (!destination) {
        *error = QStringLiteral("数据库没有打开。");
        return false;
    }
    SnapshotJob before;
    if (!before.begin(Clock::now()) || !before.runToEnd()) {
        *error = QStringLiteral("恢复前无法备份当前数据: ") + before.errorText();
        return false;
    }
    if (safetyCopy)
        *safetyCopy = before.path();

    sqlite3 *source = openReadOnly(path);
    if (!source) {
        *error = QStringLiteral("无法打开备份文件。");
        return false;
    }
    // All pages in one step: one transaction on the current file.
    sqlite3_backup *backup = sqlite3_backup_init(destination, "main", source, "main");
    int rc = backup ? sqlite3_backup_step(backup, -1) : SQLITE_ERROR;
    if (backup && sqlite3_backup_finish(backup) != SQLITE_OK && rc == SQLITE_DONE)
        rc = SQLITE_ERROR;
    if (rc != SQLITE_DONE)
        *error = lastError(destination);
    sqlite3_close(source);
    if (rc != SQLITE_DONE)
        return false;
    // An older snapshot may lack tables added since; create them now.
    return prepareSchema(db);
}
