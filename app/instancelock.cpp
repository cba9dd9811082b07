#include "instancelock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <signal.h>

namespace {
QString hashedKey(const QString &prefix, const QString &text)
{
    const QByteArray hash =
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return prefix + QString::fromLatin1(hash);
}

bool processIsAlive(qint64 pid)
{
    if (pid <= 0)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}
} // namespace

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
    if (m_lock->error() == QLockFile::LockFailedError && heldByLiveProcess())
        return State::HeldByLiveProcess;
    QString reason;
    switch (m_lock->error()) {
    case QLockFile::PermissionError:
        reason = QStringLiteral("没有在该文件夹中创建文件的权限。");
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
