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
} // namespace

SafeFileWriter::SafeFileWriter(const QString &target) : m_target(target) {}

SafeFileWriter::~SafeFileWriter()
{
    cancel();
}

bool SafeFileWriter::open()
{
    cancel();
    m_error.clear();
    const QFileInfo info(m_target);
    m_resolved = info.isSymLink() ? info.canonicalFilePath() : info.absoluteFilePath();
    struct stat existing;
    if (m_resolved.isEmpty()) {
        m_error = QStringLiteral("%1 是一个指向不存在的文件的链接").arg(m_target);
        return false;
    }
    if (::stat(QFile::encodeName(m_resolved).constData(), &existing) == 0) {
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
