#pragma once

#include "app/dateutils.h"

#include <QString>

#include <functional>

class QWidget;

// Contact rows for the list and calendar tests, written straight into the
// tables so that each test states exactly what the day holds.
namespace ListFixtures {

enum class Person
{
    Prospect,
    Recruit
};

bool addTrack(Person person, int id, Seconds time, int state);
bool addLog(Person person, int id, Seconds addTime, int contactType, Seconds nextTime,
            int nextType);

// Runs the check on the next modal dialog as soon as it is shown, then lets
// the caller's exec() continue; the check must close the dialog.
void onNextModal(const std::function<void(QWidget *)> &check);

// Leaves a call dialog through "返回", saving nothing.
void leaveCall(QWidget *callDialog);

} // namespace ListFixtures
