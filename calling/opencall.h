#pragma once

#include <QtGlobal>

class QWidget;

// Runs the call dialog of one stored prospect (or recruit) by id, modally,
// as the alerts, the search box and the calendar open it. True when a contact
// was saved; false also when the person is gone.
bool runCallDialogForPerson(QWidget *parent, bool prospect, qint64 id);
