#include "instancelock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString hashedKey(const QString &prefix, const QString &text)
{
    const QByteArray hash =
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return prefix + QString::fromLatin1(hash);
}

// A process of another user (EPERM) is not ours: its number was merely
// reused after our instance died.
bool processIsAlive(qint64 pid)
{
    if (pid <= 0)
        return false;
    return ::kill(pid_t(pid), 0) == 0;
}

bool ownedByOtherUser(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && info.st_uid != ::getuid();
}
} // namespace

bool isPrivateFolder(const QString &path)
{
    struct stat info;
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

QString privateRuntimeFolder(QString *error)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateFolder(runtime))
        return QDir(runtime).absolutePath();
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QString own = cache + QStringLiteral("/callledger-run");
    if (!cache.isEmpty() && QDir().mkpath(cache))
        ::mkdir(QFile::encodeName(own).constData(), 0700);
    if (!cache.isEmpty() && isPrivateFolder(own))
        return own;
    if (error) {
        *error = QStringLiteral("找不到只属于当前用户的文件夹来存放程序的锁文件:\n%1\n"
                                "该文件夹必须属于当前用户，且其他用户不能写入。")
                     .arg(QDir::toNativeSeparators(own));
    }
    return QString();
}

QString programInstanceKey(const QString &programFilePath)
{
    return hashedKey(QStringLiteral("callledger-"), programFilePath);
}

QString dataFolderInstanceKey(const QString &dataFolder)
{
    const QString canonical = QFileInfo(dataFolder).canonicalFilePath();
    return hashedKey(QStringLiteral("callledger-data-"),
                     canonical.isEmpty() ? QDir::cleanPath(dataFolder) : canonical);
}

InstanceLock::InstanceLock(const QString &path)
    : m_path(path), m_lock(std::make_unique<QLockFile>(path))
{
    // A lock left by a crashed instance is stale at once; QLockFile checks
    // whether its process still lives.
    m_lock->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

InstanceLock::State InstanceLock::acquire()
{
    m_error.clear();
    if (m_lock->tryLock(0))
        return State::Acquired;
    // Another user's lock is neither ours to break nor a sign that we run.
    const bool foreign = ownedByOtherUser(m_path);
    if (!foreign && m_lock->error() == QLockFile::LockFailedError) {
        if (heldByLiveProcess())
            return State::HeldByLiveProcess;
        if (m_lock->removeStaleLockFile() && m_lock->tryLock(0))
            return State::Acquired;
    }
    QString reason;
    switch (foreign ? QLockFile::PermissionError : m_lock->error()) {
    case QLockFile::PermissionError:
        reason = foreign ? QStringLiteral("该锁文件属于另一个用户。")
                         : QStringLiteral("没有在该文件夹中创建文件的权限。");
        break;
    case QLockFile::LockFailedError:
        reason = QStringLiteral("该位置已有一个不是锁文件的同名文件或文件夹。");
        break;
    default:
        reason = QStringLiteral("无法创建该文件。");
        break;
    }
    m_error = QStringLiteral("无法创建程序的锁文件:\n%1\n%2")
                  .arg(QDir::toNativeSeparators(m_path), reason);
    return State::Failed;
}

bool InstanceLock::heldByLiveProcess() const
{
    // The holder writes its details right after creating the file; give a
    // lock caught in that moment a little time before calling it broken.
    for (int attempt = 0; attempt < 10; ++attempt) {
        qint64 pid = 0;
        QString host;
        QString application;
        if (m_lock->getLockInfo(&pid, &host, &application))
            return processIsAlive(pid);
        QThread::msleep(20);
    }
    return false;
}
