#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>

// A thread of its own for the team server's connections: a connection
// belongs to the thread that opened it, and the network must never hold up
// the window. Work posted here runs in order; the destructor posts the
// farewell work (closing connections) and waits a moment for the thread to
// end. A thread still held by a dead network then finishes on its own (it is
// bounded by the connection's time-outs); the application object waits for
// it only when it is destroyed.
class TeamServerThread
{
public:
    explicit TeamServerThread(std::function<void()> farewell);
    ~TeamServerThread();
    TeamServerThread(const TeamServerThread &) = delete;
    TeamServerThread &operator=(const TeamServerThread &) = delete;

    void post(std::function<void()> work);
    // The object living in the thread (parent for its timers).
    QObject *context() { return m_context; }

private:
    QThread *m_thread;
    QObject *m_context = nullptr;
    std::function<void()> m_farewell;
};

// A connection name no other thread uses, nor a thread that was left to
// finish on its own: the address of a new object may be that of a gone one.
QString uniqueConnectionName(const QString &prefix);

// Hands a result back to the GUI thread, where it runs while the receiver
// lives; the guard must be made on the GUI thread.
void deliver(const QPointer<QObject> &receiver, std::function<void()> work);
