#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>
#include <memory>

class QTimer;

// A thread of its own for the team server's connections: a connection
// belongs to the thread that opened it, and the network must never hold up
// the window. Work posted here runs in order. A statement that runs longer
// than the hang limit (a server that stopped answering, which its own
// statement time-out cannot end) is broken off. The destructor posts the
// farewell work (closing connections), waits a moment, then cancels what
// the server is doing for the thread and breaks its connections off; a
// thread still held by a connection that is being set up is left to finish
// on its own (finishTeamServerThreads bounds how long the program waits).
class TeamServerThread
{
public:
    static constexpr int defaultHangLimitMs = 45000;

    explicit TeamServerThread(std::function<void()> farewell, int hangLimitMs = defaultHangLimitMs);
    ~TeamServerThread();
    TeamServerThread(const TeamServerThread &) = delete;
    TeamServerThread &operator=(const TeamServerThread &) = delete;

    void post(std::function<void()> work);
    // The object living in the thread (parent for its timers).
    QObject *context() { return m_context; }
    // How long the work now running has been at it; 0 while idle.
    qint64 busyMs() const;
    // The work as the thread's own timers run it, watched like posted work.
    std::function<void()> watched(std::function<void()> work) const;

private:
    struct State;
    QThread *m_thread;
    QObject *m_context = nullptr;
    std::function<void()> m_farewell;
    std::shared_ptr<State> m_state;
    std::unique_ptr<QTimer> m_watchdog;
};

// At the very end of the program, after the data file is closed: threads
// left to finish get until a second after the first was left; then the
// process ends with the exit code whatever the network does (their
// connections can only be waiting for a server). Returns when none is left.
void finishTeamServerThreads(int exitCode);

// A connection name no other thread uses, nor a thread that was left to
// finish on its own: the address of a new object may be that of a gone one.
QString uniqueConnectionName(const QString &prefix);

// Hands a result back to the GUI thread, where it runs while the receiver
// lives; the guard must be made on the GUI thread.
void deliver(const QPointer<QObject> &receiver, std::function<void()> work);
