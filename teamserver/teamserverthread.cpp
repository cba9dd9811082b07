#include "teamserverthread.h"

#include <QPointer>

TeamServerThread::TeamServerThread(std::function<void()> farewell)
    : m_context(new QObject), m_farewell(std::move(farewell))
{
    m_context->moveToThread(&m_thread);
    m_thread.start();
}

TeamServerThread::~TeamServerThread()
{
    QObject *context = m_context;
    auto farewell = m_farewell;
    QThread *thread = &m_thread;
    QMetaObject::invokeMethod(
        context,
        [context, farewell, thread] {
            if (farewell)
                farewell();
            delete context;
            thread->quit();
        },
        Qt::QueuedConnection);
    m_thread.wait();
}

void TeamServerThread::post(std::function<void()> work)
{
    QMetaObject::invokeMethod(m_context, std::move(work), Qt::QueuedConnection);
}

void deliver(QObject *receiver, std::function<void()> work)
{
    QPointer<QObject> guard(receiver);
    QMetaObject::invokeMethod(
        receiver,
        [guard, work] {
            if (guard)
                work();
        },
        Qt::QueuedConnection);
}
