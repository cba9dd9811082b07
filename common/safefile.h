#pragma once

#include <QFile>
#include <QString>

// Writes a file so that nobody else's file is touched and no half-written
// file is ever seen: the bytes go to a new file with an unpredictable name,
// created exclusively (owner-only) in the target's folder, and replace the
// target by a rename at commit. A target that is a link is followed only
// when nobody else can have planted it: the link and the folders on its way
// belong to the agent or root, a link in a folder others can write (a sticky
// one such as /tmp) is the agent's own, and it leads to the agent's own
// regular file in a folder nobody else can write. Whatever the way, the data
// file and its side files are never the target, and neither is anything but
// a regular file (a device, a FIFO, a folder, a dangling link). A new file
// is 0600, since what we export holds personal data; a replaced file keeps
// its mode.
class SafeFileWriter
{
public:
    // The data file whose side files (-wal, -shm, -journal) and itself no
    // writer may replace; set by the store when it opens the file.
    static void guardDataFile(const QString &path);

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
