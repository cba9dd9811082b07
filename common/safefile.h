#pragma once

#include <QFile>
#include <QString>

// Writes a file so that nobody else's file is touched and no half-written
// file is ever seen: the bytes go to a new file with an unpredictable name,
// created exclusively (owner-only) in the target's folder, and replace the
// target by a rename at commit. A target that is a link is resolved first
// (the agent chose it); one that then is not a regular file (a device, a
// FIFO, a folder, a dangling link) is refused. A new file is 0600, since
// what we export holds personal data; a replaced file keeps its mode.
class SafeFileWriter
{
public:
    explicit SafeFileWriter(const QString &target);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter &) = delete;
    SafeFileWriter &operator=(const SafeFileWriter &) = delete;

    bool open();
    QFile &file() { return m_file; }
    // A path that opens the very file created, for a library that insists
    // on opening by name: nobody can swap it for a link in between.
    QString descriptorPath() const;
    bool commit();
    void cancel();
    QString errorString() const { return m_error; }

private:
    QString m_target;
    QString m_resolved;
    QString m_temporary;
    QFile m_file;
    int m_descriptor = -1;
    unsigned m_mode = 0600;
    QString m_error;
};
