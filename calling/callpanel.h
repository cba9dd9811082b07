#pragma once

#include "calling/contactentry.h"
#include "common/calltools.h"
#include "store/callrecords.h"

#include <QObject>

class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;

// The calling tools both call dialogs add to their forms: "拨号" (Ctrl+D)
// and the talk timer ("开始计时"/"停止计时", F9) beside the number, the
// outcome beside the description, and the quick times beside the next call
// and visit. Built in code around the forms' own widgets.
class CallPanel : public QObject
{
    Q_OBJECT
public:
    CallPanel(QDialog *dialog, QLineEdit *phone, QLabel *contentLabel,
              const ContactWidgets &contact);

    // The chosen outcome; empty when none was chosen.
    QString outcome() const;
    // Stops the timer and gives what the save stores with the log. A talk
    // time beyond a day is a clock fault: said once and left out.
    CallDetails takeDetails(QWidget *parent);
    // Another person: the timer stops without storing anything, the outcome
    // is chosen afresh.
    void reset();

    void dial();
    void toggleTimer();

private:
    void showTime();
    void addQuickTimes(QWidget *edit, QWidget *radio, const QString &namePrefix);

    QDialog *dialog;
    QLineEdit *phone;
    QPushButton *dialButton = nullptr;
    QPushButton *timerButton = nullptr;
    QLabel *timeLabel = nullptr;
    QComboBox *outcomeBox = nullptr;
    QTimer *tick = nullptr;
    QList<QToolButton *> afternoonButtons;
    TalkTimer talk;
};
