#include "teamserverthread.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QList>
#include <QPointer>

namespace {
QList<QPointer<QThread>> &leftThreads()
{
    static QList<QPointer<QThread>> threads;
    return threads;
}

// Runs when the application object goes: no thread may still use a
// connection while Qt's own statics are torn down.
void waitForLeftThreads()
{
    for (const QPointer<QThread> &thread : std::as_const(leftThreads())) {
        if (thread)
            thread->wait();
    }
    leftThreads().clear();
}
} // namespace

TeamServerThread::TeamServerThread(std::function<void()> farewell)
    : m_thread(new QThread), m_context(new QObject), m_farewell(std::move(farewell))
{
    m_context->moveToThread(m_thread);
    m_thread->start();
}

TeamServerThread::~TeamServerThread()
{
    QObject *context = m_context;
    auto farewell = m_farewell;
    QThread *thread = m_thread;
    QMetaObject::invokeMethod(
        context,
        [context, farewell, thread] {
            if (farewell)
                farewell();
            delete context;
            thread->quit();
        },
        Qt::QueuedConnection);
    // Long enough for a thread that is idle or talking to a live server.
    constexpr int patienceMs = 500;
    if (thread->wait(patienceMs) || !QCoreApplication::instance()) {
        thread->wait();
        delete thread;
        return;
    }
    static const bool waitsAtExit = [] {
        qAddPostRoutine(waitForLeftThreads);
        return true;
    }();
    Q_UNUSED(waitsAtExit);
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    if (thread->isFinished()) // it may have ended just now
        thread->deleteLater();
    leftThreads().append(thread);
}

void TeamServerThread::post(std::function<void()> work)
{
    QMetaObject::invokeMethod(m_context, std::move(work), Qt::QueuedConnection);
}

QString uniqueConnectionName(const QString &prefix)
{
    static QAtomicInteger<quint64> next;
    return prefix + QString::number(++next);
}

void deliver(const QPointer<QObject> &receiver, std::function<void()> work)
{
    // Posted to the application object, which outlives every receiver; the
    // guard is read on the GUI thread, where receivers are destroyed.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [receiver, work] {
            if (receiver)
                work();
        },
        Qt::QueuedConnection);
}
