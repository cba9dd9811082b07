#pragma once

#include "store/phonekeys.h"

class QWidget;

// Before an entry dialog saves: when someone already has the number, shows
// who and asks whether to save anyway ("否" focused). True to go on.
bool confirmPhoneNotDuplicate(QWidget *parent, PersonTable table, const QString &phone);
