#pragma once

#include "store/phonekeys.h"

#include <functional>

class QWidget;

enum class PhoneSave
{
    Saved,
    Declined,
    Failed
};

// Saves a person's number through write, in one transaction with the look at
// who else has it (prospects and recruits alike, self left out). When someone
// does, nothing is written yet: the box names them and asks whether to save
// anyway ("否" focused), and 是 saves. Someone who took the number while the
// box was open is asked about in turn.
PhoneSave saveCheckingPhone(QWidget *parent, const QString &phone, const PersonRef &self,
                            const std::function<bool()> &write, const QString &title);
