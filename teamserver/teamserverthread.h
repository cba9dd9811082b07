#pragma once

#include <QObject>
#include <QThread>

#include <functional>

// A thread of its own for the team server's connections: a connection
// belongs to the thread that opened it, and the network must never hold up
// the window. Work posted here runs in order; the destructor runs the
// farewell work (closing connections) and waits for the thread to end.
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
    QThread m_thread;
    QObject *m_context = nullptr;
    std::function<void()> m_farewell;
};

// Hands a result back to an object on its own thread; the object must outlive
// the thread (it owns it).
void deliver(QObject *receiver, std::function<void()> work);
