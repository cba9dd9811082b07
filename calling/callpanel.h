#pragma once

#include "calling/contactentry.h"
#include "common/calltools.h"
#include "store/callrecords.h"

#include "common/phoneline.h"

#include <QDate>
#include <QObject>
#include <QSet>

#include <optional>

class CallBar;
class RecordingsPanel;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;

// The calling tools both call dialogs add to their forms: "拨号" (Ctrl+D)
// and the talk timer ("开始计时"/"停止计时", F9) beside the number, the
// outcome (Ctrl+R) beside the description, and the quick times beside the
// next call (Ctrl+1 to 4) and visit (Alt+1 to 4). Built in code around the
// forms' own widgets; the contact area's Tab order runs from the description
// through the outcome and the next times to the dialog's default button.
// The panel also keeps the contact area: what was entered for the person
// shown, and emptying it for the next one. With the built-in telephone: the
// call bar, the talk time and suggested outcome of the person's calls, their
// recordings, and progressive calling after a save.
class CallPanel : public QObject
{
    Q_OBJECT
public:
    CallPanel(QDialog *dialog, QLineEdit *phone, QLabel *contentLabel,
              const ContactWidgets &contact);

    // The chosen outcome; empty when none was chosen.
    QString outcome() const;
    // What the save stores with the log, the talk time so far included; the
    // timer runs on until reset(). A talk time beyond a day is a clock fault:
    // said once and left out.
    CallDetails takeDetails(QWidget *parent);
    // Another person: the timer stops without storing anything, the outcome
    // is chosen afresh, the contact area starts empty.
    void reset();
    // The call that ends in a deal or a new member, as its conversion stores
    // it (contact state aside): way, description and next contact as entered
    // (none needed), the closing outcome, the talk time, now. Nothing when
    // the agent must correct something first (said, focus moved).
    std::optional<ContactRecord> takeClosingContact(QWidget *parent);
    // A description, an outcome, a next contact or time entered and not saved.
    bool hasUnsavedInput() const;
    // Before the person shown is left: true when nothing would be lost, or
    // the agent agrees to drop it ("否" focused).
    bool mayDropInput(QWidget *parent);

    void dial();
    void toggleTimer();
    // Progressive calling: the countdown to the next person's call runs.
    bool countingDown() const;
    void stopCountdown(const QString &why = QString());

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The person on the dialog's current row, its calls and recordings.
    void followPerson();
    void callEnded(const CallSummary &summary);
    // Arrived at a person after a save: skip whom the walk must not dial,
    // else count down to the call.
    void arriveProgressively();
    void countdownTick();
    void showTime();
    QList<QToolButton *> addQuickTimes(QWidget *edit, QWidget *radio, const QString &namePrefix,
                                       Qt::KeyboardModifier shortcutModifier);
    void orderTabs(const QList<QToolButton *> &callTimes, const QList<QToolButton *> &visitTimes);

    QDialog *dialog;
    ContactWidgets contact;
    QLineEdit *phone;
    QPushButton *dialButton = nullptr;
    QPushButton *timerButton = nullptr;
    QLabel *timeLabel = nullptr;
    QComboBox *outcomeBox = nullptr;
    QTimer *tick = nullptr;
    QList<QToolButton *> afternoonButtons;
    TalkTimer talk;

    CallBar *callBar = nullptr;
    RecordingsPanel *recordings = nullptr;
    int personKind = 0;
    qint64 personId = -1;
    // Calls of the telephone placed or answered for the person shown, and
    // their talk time.
    QSet<quint64> ourCalls;
    std::optional<qint64> phoneTalk;
    bool savedJustNow = false;
    bool progressiveArmed = false;
    QWidget *countdownRow = nullptr;
    QLabel *countdownLabel = nullptr;
    QTimer *countdownTimer = nullptr;
    int countdownLeft = 0;
    // Whom this walk has dialled, and on which day.
    QSet<qint64> walkDialled;
    QDate walkDay;
};
