#pragma once

#include <QString>

#include <functional>

// Code without widgets cannot show a box; it reports failures here and the GUI
// routes them to a warning box. Without a hook the text goes to the debug output.
using WarningHook = std::function<void(const QString &text, const QString &title)>;

void setWarningHook(WarningHook hook);
void reportWarning(const QString &text, const QString &title);
