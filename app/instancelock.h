#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// A lock file that tells a live instance apart from a lock that merely could
// not be taken: only a lock held by a running process means "already running";
// a folder that refuses the file, or a file that is no lock, is an error the
// agent must hear about.
class InstanceLock
{
public:
    enum class State
    {
        Acquired,
        HeldByLiveProcess,
        Failed
    };

    explicit InstanceLock(const QString &path);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    State acquire();
    QString path() const { return m_path; }
    // Why the lock failed, naming the file; empty unless acquire() failed.
    QString errorText() const { return m_error; }

private:
    bool heldByLiveProcess() const;

    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    QString m_error;
};

// The names instances use for locks and local sockets: one for the program
// file (instances are told apart by it) and one for the data folder, so two
// copies of the program never write the same file.
QString programInstanceKey(const QString &programFilePath);
QString dataFolderInstanceKey(const QString &dataFolder);

// The folder for the locks and local sockets: the session's runtime folder
// when it is the user's own and nobody else can write it, else a folder of
// the user's own under the cache location. A folder that others can write
// would let them plant a lock (and the program would never start) or take
// the socket's name. Empty, with the reason in *error, when there is none.
QString privateRuntimeFolder(QString *error);
// True for a real folder (not a link) owned by this user that neither its
// group nor others may write.
bool isPrivateFolder(const QString &path);
