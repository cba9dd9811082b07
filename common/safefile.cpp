#include "safefile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString &guardedDataFile()
{
    static QString path;
    return path;
}

bool othersMayWrite(const struct stat &info)
{
    return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

bool agentOrRoot(uid_t owner)
{
    return owner == ::geteuid() || owner == 0;
}

bool statPath(const QString &path, struct stat *info)
{
    return ::stat(QFile::encodeName(path).constData(), info) == 0;
}

// The folder and each one above it belong to the agent or root.
bool foldersTrusted(const QString &folder)
{
    for (QDir dir(folder);;) {
        struct stat info;
        if (!statPath(dir.absolutePath(), &info) || !agentOrRoot(info.st_uid))
            return false;
        if (dir.isRoot() || !dir.cdUp())
            return true;
    }
}

// The data file or one of its side files, by identity where the file
// exists, by name in the same folder where it does not (yet).
bool isGuardedFile(const QString &path)
{
    const QString data = guardedDataFile();
    if (data.isEmpty())
        return false;
    struct stat chosen;
    const bool exists = statPath(path, &chosen);
    const QFileInfo target(path);
    const QString folder = QFileInfo(target.absolutePath()).canonicalFilePath();
    const QFileInfo dataInfo(data);
    const QString dataFolder = QFileInfo(dataInfo.absolutePath()).canonicalFilePath();
    for (const char *suffix : {"", "-wal", "-shm", "-journal"}) {
        const QString name = dataInfo.fileName() + QLatin1String(suffix);
        struct stat own;
        if (exists && statPath(dataInfo.absolutePath() + QLatin1Char('/') + name, &own) &&
            own.st_dev == chosen.st_dev && own.st_ino == chosen.st_ino)
            return true;
        if (!folder.isEmpty() && folder == dataFolder && target.fileName() == name)
            return true;
    }
    return false;
}

// Follows the links of path as far as they may be trusted; *resolved is the
// file at the end (which need not exist), *viaLink whether a link led there.
bool resolveTarget(const QString &path, QString *resolved, bool *viaLink, QString *error)
{
    QString current = QFileInfo(path).absoluteFilePath();
    *viaLink = false;
    for (int hop = 0; hop < 16; ++hop) {
        struct stat link;
        if (::lstat(QFile::encodeName(current).constData(), &link) != 0) {
            if (errno != ENOENT) {
                *error = QStringLiteral("无法读取 %1: %2").arg(current, systemError());
                return false;
            }
            *resolved = current;
            return true;
        }
        if (!S_ISLNK(link.st_mode)) {
            *resolved = current;
            return true;
        }
        const QString folder = QFileInfo(current).absolutePath();
        struct stat where;
        if (!statPath(folder, &where)) {
            *error = QStringLiteral("无法读取 %1: %2").arg(folder, systemError());
            return false;
        }
        // In a folder others can write, another user can put a link in
        // place of the agent's own unless the folder is sticky.
        const bool shared = othersMayWrite(where);
        const bool planted = shared ? !((where.st_mode & S_ISVTX) && link.st_uid == ::geteuid())
                                    : !agentOrRoot(link.st_uid);
        if (planted || !foldersTrusted(folder)) {
            *error = QStringLiteral("%1 是一个链接, 可能是其他用户放置的, 为安全起见不跟随它. "
                                    "请换一个文件名或文件夹.")
                         .arg(QDir::toNativeSeparators(path));
            return false;
        }
        const QString target = QFile::symLinkTarget(current);
        if (target.isEmpty()) {
            *error = QStringLiteral("无法读取链接 %1").arg(QDir::toNativeSeparators(current));
            return false;
        }
        current = QDir::cleanPath(target);
        *viaLink = true;
    }
    *error = QStringLiteral("%1 的链接层数太多").arg(QDir::toNativeSeparators(path));
    return false;
}
} // namespace

void SafeFileWriter::guardDataFile(const QString &path)
{
    guardedDataFile() = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

SafeFileWriter::SafeFileWriter(const QString &target) : m_target(target) {}

SafeFileWriter::~SafeFileWriter()
{
    cancel();
}

bool SafeFileWriter::open()
{
    cancel();
    m_error.clear();
    bool viaLink = false;
    if (!resolveTarget(m_target, &m_resolved, &viaLink, &m_error))
        return false;
    struct stat existing;
    const bool exists = statPath(m_resolved, &existing);
    if (viaLink && !exists) {
        m_error = QStringLiteral("%1 是一个指向不存在的文件的链接").arg(m_target);
        return false;
    }
    if (isGuardedFile(m_resolved)) {
        m_error = QStringLiteral("%1 是软件自己的数据文件, 不能用导出的内容覆盖它. "
                                 "请选择其他文件.")
                      .arg(QDir::toNativeSeparators(m_target));
        return false;
    }
    if (viaLink) {
        struct stat folder;
        const QString folderPath = QFileInfo(m_resolved).absolutePath();
        // What the agent's file becomes must stay the agent's: never another
        // user's file, never where others could read or swap it.
        if (existing.st_uid != ::geteuid() || !statPath(folderPath, &folder) ||
            othersMayWrite(folder) || !foldersTrusted(folderPath)) {
            m_error =
                QStringLiteral("链接 %1 指向其他用户的文件或别人可以写入的文件夹 (%2), "
                               "为安全起见不跟随它. 请换一个文件名或文件夹.")
                    .arg(QDir::toNativeSeparators(m_target), QDir::toNativeSeparators(m_resolved));
            return false;
        }
    }
    if (exists) {
        if (!S_ISREG(existing.st_mode)) {
            m_error = QStringLiteral("%1 不是普通文件").arg(m_resolved);
            return false;
        }
        m_mode = existing.st_mode & 07777;
    } else {
        m_mode = 0600;
    }
    const QFileInfo resolved(m_resolved);
    QByteArray pattern = QFile::encodeName(resolved.absolutePath() + QStringLiteral("/.") +
                                           resolved.fileName() + QStringLiteral(".XXXXXX"));
    // mkostemp creates the name exclusively, owner-only, never through a link.
    m_descriptor = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (m_descriptor < 0) {
        m_error = QStringLiteral("无法在 %1 中创建文件: %2")
                      .arg(QDir::toNativeSeparators(resolved.absolutePath()), systemError());
        return false;
    }
    m_temporary = QFile::decodeName(pattern);
    if (!m_file.open(m_descriptor, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
        m_error = m_file.errorString();
        cancel();
        return false;
    }
    return true;
}

QString SafeFileWriter::descriptorPath() const
{
    return m_descriptor < 0 ? QString()
                            : QStringLiteral("/proc/self/fd/%1").arg(m_descriptor);
}

bool SafeFileWriter::commit()
{
    if (m_descriptor < 0) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("文件没有打开");
        return false;
    }
    bool ok = m_file.flush();
    if (!ok)
        m_error = m_file.errorString();
    m_file.close();
    if (ok && (::fchmod(m_descriptor, m_mode) != 0 || ::fsync(m_descriptor) != 0)) {
        m_error = systemError();
        ok = false;
    }
    if (ok && ::rename(QFile::encodeName(m_temporary).constData(),
                       QFile::encodeName(m_resolved).constData()) != 0) {
        m_error = QStringLiteral("无法写入文件 %1: %2").arg(m_resolved, systemError());
        ok = false;
    }
    if (!ok) {
        cancel();
        return false;
    }
    ::close(m_descriptor);
    m_descriptor = -1;
    m_temporary.clear();
    return true;
}

void SafeFileWriter::cancel()
{
    if (m_file.isOpen())
        m_file.close();
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
        m_descriptor = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(QFile::encodeName(m_temporary).constData());
        m_temporary.clear();
    }
}
