#include "messagehook.h"

#include <QDebug>

namespace {
WarningHook &currentHook()
{
    static WarningHook hook;
    return hook;
}
} // namespace

void setWarningHook(WarningHook hook) { currentHook() = std::move(hook); }

void reportWarning(const QString &text, const QString &title)
{
    if (currentHook())
        currentHook()(text, title);
    else
        qWarning().noquote() << title << text;
}
