#pragma once

#include "common/dateutils.h"

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

// People, contact rows and call-dialog steps shared by the calling tests;
// rows are written straight into the tables so that each test states exactly
// what the day holds.
namespace ListFixtures {

enum class Person
{
    Prospect,
    Recruit
};

// "customers" or "helpers", followed by the suffix (e.g. "_tel_logs").
QString table(Person person, const QString &suffix = QString());
// "customer_id" or "helper_id".
QString idColumn(Person person);

// Returns the new person's id, or -1.
int addPerson(Person person, const QString &name, int userType = 1, int isContact = 0,
              const QString &address = QString());
bool addTrack(Person person, int id, Seconds time, int state);
bool addLog(Person person, int id, Seconds addTime, int contactType, Seconds nextTime,
            int nextType);

template <typename T> T *child(const QObject *parent, const QString &name)
{
    auto *widget = parent->findChild<T *>(name);
    if (!widget)
        qFatal("no widget %s", qPrintable(name));
    return widget;
}

void press(QWidget *dialog, const QString &button);

// Types the description through the input method, as Chinese text arrives.
void describe(QWidget *callDialog, const QString &text);

// Records a phone contact in an open call dialog: description, next time,
// then "保存并继续".
void saveContact(QWidget *callDialog, const QString &text = QStringLiteral("谈过"),
                 const QString &next = QStringLiteral("radioButtonNextPhoneTime"));

// Runs the check on the next modal dialog as soon as it is shown, then lets
// the caller's exec() continue; the check must close the dialog.
void onNextModal(const std::function<void(QWidget *)> &check);

// Leaves a call dialog through "返回", saving nothing.
void leaveCall(QWidget *callDialog);

} // namespace ListFixtures
