#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>

struct sqlite3;
class DatabaseThreadWorker;

// A thread with a connection of its own to the data file, for reads (and
// short writes) the window must not wait for: the search box's scans, the
// board's counts while the side tables are being built, that building itself.
// Jobs run one after the other in the order they were posted; the connection
// is opened at the first job and closed when the thread ends.
class DatabaseThread : public QObject
{
    Q_OBJECT

public:
    using Job = std::function<void(const QSqlDatabase &db)>;

    explicit DatabaseThread(const QString &purpose, QObject *parent = nullptr);
    // Stops the running statement, drops the jobs still queued and waits for
    // the thread: a quitting program never waits for a whole query.
    ~DatabaseThread() override;

    void post(Job job);
    // Stops the statement running now, from any thread; its job sees the
    // failure and should give up.
    void interrupt();
    // Set by the destructor; long jobs ask it between their steps.
    bool stopping() const { return m_stopping.load(); }

private:
    QThread m_thread;
    DatabaseThreadWorker *m_worker = nullptr;
    std::atomic_bool m_stopping{false};
};
