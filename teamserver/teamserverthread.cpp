#include "teamserverthread.h"

#include "teamserver/teamserverlink.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QList>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace {
QList<QPointer<QThread>> &leftThreads()
{
    static QList<QPointer<QThread>> threads;
    return threads;
}

// Set when the first thread is left behind.
QDeadlineTimer &leftDeadline()
{
    static QDeadlineTimer deadline(QDeadlineTimer::Forever);
    return deadline;
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

qint64 steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

struct TeamServerThread::State
{
    // When the running work began (steady clock, ms); 0 while idle.
    std::atomic<qint64> busySince{0};
    qint64 brokenOff = 0;
};

TeamServerThread::TeamServerThread(std::function<void()> farewell, int hangLimitMs)
    : m_thread(new QThread), m_context(new QObject), m_farewell(std::move(farewell)),
      m_state(std::make_shared<State>()), m_watchdog(std::make_unique<QTimer>())
{
    m_context->moveToThread(m_thread);
    m_thread->start();
    QThread *thread = m_thread;
    std::shared_ptr<State> state = m_state;
    QObject::connect(m_watchdog.get(), &QTimer::timeout, [thread, state, hangLimitMs] {
        const qint64 since = state->busySince;
        if (since != 0 && since != state->brokenOff && steadyMs() - since > hangLimitMs) {
            state->brokenOff = since;
            interruptTeamServer(thread, false);
        }
    });
    m_watchdog->start(1000);
}

TeamServerThread::~TeamServerThread()
{
    m_watchdog.reset();
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
    // Long enough for a thread that is idle or talking to a live server;
    // then the server stops what it does for us and the link is cut.
    constexpr int patienceMs = 300;
    bool ended = thread->wait(patienceMs) || !QCoreApplication::instance();
    if (!ended) {
        interruptTeamServer(thread, true);
        ended = thread->wait(patienceMs);
    }
    if (ended) {
        thread->wait();
        delete thread;
        return;
    }
    static const bool waitsAtExit = [] {
        qAddPostRoutine(waitForLeftThreads);
        return true;
    }();
    Q_UNUSED(waitsAtExit);
    if (leftDeadline().isForever())
        leftDeadline().setRemainingTime(1000);
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    if (thread->isFinished()) // it may have ended just now
        thread->deleteLater();
    leftThreads().append(thread);
}

void TeamServerThread::post(std::function<void()> work)
{
    QMetaObject::invokeMethod(m_context, watched(std::move(work)), Qt::QueuedConnection);
}

std::function<void()> TeamServerThread::watched(std::function<void()> work) const
{
    return [state = m_state, work = std::move(work)] {
        state->busySince = steadyMs();
        work();
        state->busySince = 0;
    };
}

qint64 TeamServerThread::busyMs() const
{
    const qint64 since = m_state->busySince;
    return since == 0 ? 0 : steadyMs() - since;
}

void finishTeamServerThreads(int exitCode)
{
    for (const QPointer<QThread> &thread : std::as_const(leftThreads())) {
        if (thread && !thread->wait(leftDeadline())) {
            // Only a connection being set up can be left: nothing to save.
            std::fflush(nullptr);
            ::_exit(exitCode);
        }
    }
    leftThreads().clear();
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
