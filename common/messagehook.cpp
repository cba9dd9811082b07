#include "messagehook.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>

namespace {
WarningHook &currentHook()
{
    static WarningHook hook;
    return hook;
}
} // namespace

void setWarningHook(WarningHook hook)
{
    currentHook() = std::move(hook);
}

void reportWarning(const QString &text, const QString &title)
{
    // A box may only be shown on the GUI thread: reports from a worker (the
    // list writer's own connection) are handed over to it.
    QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) {
        QMetaObject::invokeMethod(
            app, [text, title] { reportWarning(text, title); }, Qt::QueuedConnection);
        return;
    }
    if (currentHook())
        currentHook()(text, title);
    else
        qWarning().noquote() << title << text;
}
