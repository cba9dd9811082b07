#include "callpanel.h"

#include "calling/contactentry.h"
#include "common/appsettings.h"
#include "common/phonesettings.h"
#include "store/customerstore.h"
#include "store/phonerecords.h"
#include "widgets/callbar.h"
#include "widgets/dialer.h"
#include "widgets/messageboxes.h"
#include "widgets/recordingspanel.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDataWidgetMapper>
#include <QDateTimeEdit>
#include <QDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSqlQuery>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

namespace {
QLayout *layoutHolding(QLayout *layout, QWidget *widget)
{
    if (!layout)
        return nullptr;
    if (layout->indexOf(widget) >= 0)
        return layout;
    for (int i = 0; i < layout->count(); ++i) {
        if (QLayout *found = layoutHolding(layout->itemAt(i)->layout(), widget))
            return found;
    }
    return nullptr;
}

// Puts a row in the widget's place in its form's layout, the widget first
// and stretching, so that buttons can stand beside it.
QHBoxLayout *rowAround(QWidget *widget)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    QLayout *holder = layoutHolding(widget->parentWidget()->layout(), widget);
    if (auto *grid = qobject_cast<QGridLayout *>(holder)) {
        int r = 0, c = 0, rows = 1, columns = 1;
        grid->getItemPosition(grid->indexOf(widget), &r, &c, &rows, &columns);
        grid->removeWidget(widget);
        grid->addLayout(row, r, c, rows, columns);
    } else if (auto *box = qobject_cast<QBoxLayout *>(holder)) {
        const int index = box->indexOf(widget);
        box->removeWidget(widget);
        box->insertLayout(index, row);
    }
    row->addWidget(widget, 1);
    return row;
}
} // namespace

CallPanel::CallPanel(QDialog *dialog, QLineEdit *phone, QLabel *contentLabel,
                     const ContactWidgets &contact)
    : QObject(dialog), dialog(dialog), contact(contact), phone(phone)
{
    initContactWidgets(contact);
    QHBoxLayout *phoneRow = rowAround(phone);
    dialButton = new QPushButton(QStringLiteral("拨号"), dialog);
    dialButton->setObjectName(QStringLiteral("pushButtonDial"));
    dialButton->setToolTip(QStringLiteral("拨打该号码 (Ctrl+D)"));
    dialButton->setAutoDefault(false);
    timeLabel = new QLabel(talkTimeText(0), dialog);
    timeLabel->setObjectName(QStringLiteral("labelTalkTime"));
    timerButton = new QPushButton(QStringLiteral("开始计时"), dialog);
    timerButton->setObjectName(QStringLiteral("pushButtonTalkTimer"));
    timerButton->setToolTip(QStringLiteral("通话计时 (F9)"));
    timerButton->setAutoDefault(false);
    phoneRow->addWidget(dialButton);
    phoneRow->addWidget(timeLabel);
    phoneRow->addWidget(timerButton);
    connect(dialButton, &QPushButton::clicked, this, &CallPanel::dial);
    connect(timerButton, &QPushButton::clicked, this, &CallPanel::toggleTimer);
    // Shortcuts of their own: a button's text change would drop its shortcut.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), dialog), &QShortcut::activated,
            dialButton, &QPushButton::animateClick);
    connect(new QShortcut(QKeySequence(Qt::Key_F9), dialog), &QShortcut::activated, this,
            &CallPanel::toggleTimer);
    const auto followNumber = [this] {
        followDialable(dialButton, this->phone->text(), QStringLiteral("拨打该号码 (Ctrl+D)"));
    };
    connect(phone, &QLineEdit::textChanged, this, followNumber);
    followNumber();

    QHBoxLayout *contentRow = rowAround(contentLabel);
    auto *outcomeLabel = new QLabel(QStringLiteral("结果:"), dialog);
    outcomeBox = new QComboBox(dialog);
    outcomeBox->setObjectName(QStringLiteral("comboBoxOutcome"));
    outcomeBox->addItem(QString());
    outcomeBox->addItems(callOutcomes(appSettings.extraOutcomes()));
    outcomeBox->setToolTip(QStringLiteral("通话结果 (Ctrl+R)"));
    outcomeLabel->setBuddy(outcomeBox);
    contentRow->addWidget(outcomeLabel);
    contentRow->addWidget(outcomeBox);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), dialog), &QShortcut::activated,
            outcomeBox, [this] { outcomeBox->setFocus(Qt::ShortcutFocusReason); });

    orderTabs(addQuickTimes(contact.nextCall, contact.nextPhone,
                            QStringLiteral("toolButtonCallQuick"), Qt::ControlModifier),
              addQuickTimes(contact.nextVisitTime, contact.nextVisit,
                            QStringLiteral("toolButtonVisitQuick"), Qt::AltModifier));

    tick = new QTimer(this);
    connect(tick, &QTimer::timeout, this, &CallPanel::showTime);
    tick->start(1000);
    showTime();

    // The built-in telephone: its call bar under the navigation, the
    // recordings under the history, the countdown of progressive calling.
    auto *top = qobject_cast<QBoxLayout *>(dialog->layout());
    callBar = new CallBar(dialog);
    countdownRow = new QWidget(dialog);
    countdownRow->setObjectName(QStringLiteral("widgetCountdown"));
    auto *countdownLayout = new QHBoxLayout(countdownRow);
    countdownLayout->setContentsMargins(0, 0, 0, 0);
    countdownLabel = new QLabel(countdownRow);
    countdownLabel->setObjectName(QStringLiteral("labelCountdown"));
    auto *pause = new QPushButton(QStringLiteral("暂停"), countdownRow);
    pause->setObjectName(QStringLiteral("pushButtonPauseDialling"));
    pause->setAutoDefault(false);
    connect(pause, &QPushButton::clicked, this, [this] { stopCountdown(); });
    countdownLayout->addWidget(countdownLabel, 1);
    countdownLayout->addWidget(pause);
    countdownRow->hide();
    if (top) {
        top->insertWidget(1, callBar);
        top->insertWidget(2, countdownRow);
    }
    countdownTimer = new QTimer(this);
    connect(countdownTimer, &QTimer::timeout, this, &CallPanel::countdownTick);
    if (auto *history = dialog->findChild<QTableView *>(QStringLiteral("tableViewPhoneLogs"))) {
        recordings = new RecordingsPanel(history, history->parentWidget());
        if (history->parentWidget()->layout())
            history->parentWidget()->layout()->addWidget(recordings);
    }
    if (PhoneLine *line = PhoneLine::instance())
        connect(line, &PhoneLine::callEnded, this, &CallPanel::callEnded);
    // Esc stops a countdown instead of closing the dialog.
    dialog->installEventFilter(this);
}

QList<QToolButton *> CallPanel::addQuickTimes(QWidget *edit, QWidget *radio,
                                              const QString &namePrefix,
                                              Qt::KeyboardModifier shortcutModifier)
{
    QHBoxLayout *row = rowAround(edit);
    auto *dateEdit = qobject_cast<QDateTimeEdit *>(edit);
    dateEdit->installEventFilter(this);
    auto *choice = qobject_cast<QRadioButton *>(radio);
    QList<QToolButton *> buttons;
    for (const QuickTime which : {QuickTime::InOneHour, QuickTime::ThisAfternoon,
                                  QuickTime::TomorrowMorning, QuickTime::NextMondayMorning}) {
        auto *button = new QToolButton(dialog);
        button->setObjectName(namePrefix + QString::number(int(which)));
        button->setText(quickTimeText(which));
        button->setFocusPolicy(Qt::TabFocus);
        const QKeySequence key(QKeyCombination(shortcutModifier, Qt::Key(Qt::Key_1 + int(which))));
        button->setShortcut(key);
        button->setToolTip(quickTimeText(which) + QStringLiteral(" (") +
                           key.toString(QKeySequence::NativeText) + QLatin1Char(')'));
        connect(button, &QToolButton::clicked, this, [dateEdit, choice, which] {
            const QDateTime time = quickContactTime(which, Clock::now());
            if (!time.isValid())
                return;
            dateEdit->setDateTime(time);
            choice->setChecked(true);
        });
        if (which == QuickTime::ThisAfternoon)
            afternoonButtons.append(button);
        row->addWidget(button);
        buttons.append(button);
    }
    return buttons;
}

void CallPanel::orderTabs(const QList<QToolButton *> &callTimes,
                          const QList<QToolButton *> &visitTimes)
{
    // What is entered after each call comes right after the description,
    // before the person's read-only data and the lists.
    QList<QWidget *> chain{contact.phoneMode, contact.visitMode, contact.content,
                           outcomeBox,        contact.nextPhone, contact.nextCall};
    for (QToolButton *button : callTimes)
        chain.append(button);
    chain.append(contact.nextVisit);
    chain.append(contact.nextVisitTime);
    for (QToolButton *button : visitTimes)
        chain.append(button);
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        if (button->isDefault())
            chain.append(button);
    }
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
}

bool CallPanel::eventFilter(QObject *watched, QEvent *event)
{
    // Esc stops a countdown of progressive calling instead of closing the dialog.
    if (watched == dialog) {
        if (event->type() == QEvent::KeyPress && countingDown() &&
            static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            stopCountdown();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
    // Tab leaves a next time at once instead of walking its five sections
    // (the arrow keys do that): the quick buttons are one Tab away.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            // The form's page moves the focus on from the focused widget.
            QCoreApplication::sendEvent(static_cast<QWidget *>(watched)->parentWidget(), event);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CallPanel::showTime()
{
    timeLabel->setText(talkTimeText(talk.seconds()));
    // The button follows the timer, however it was started or stopped.
    timerButton->setText(talk.isRunning() ? QStringLiteral("停止计时") : QStringLiteral("开始计时"));
    const bool afternoonAhead = quickContactTime(QuickTime::ThisAfternoon, Clock::now()).isValid();
    for (QToolButton *button : std::as_const(afternoonButtons))
        button->setEnabled(afternoonAhead);
}

QString CallPanel::outcome() const
{
    return outcomeBox->currentText().trimmed();
}

CallDetails CallPanel::takeDetails(QWidget *parent)
{
    CallDetails details;
    details.outcome = outcome();
    // The log about to be saved takes the person's unsaved calls.
    if (recordings)
        details.pendingCalls = recordings->unsavedCalls();
    // The walk goes on only if the save moves the dialog on in this turn.
    savedJustNow = true;
    QTimer::singleShot(0, this, [this] {
        savedJustNow = false;
        if (!countingDown())
            progressiveArmed = false;
    });
    // The timer runs on until the save succeeds (reset() then stops it): an
    // order entry cancelled, or a save refused, leaves the call still timed.
    showTime();
    // A call of the telephone brings its own talk time, answer to hang-up.
    if (phoneTalk) {
        details.seconds = *phoneTalk;
    } else if (recordings && talk.isUnused() && recordings->unsavedSeconds() > 0) {
        // Calls that ended without a log (the program closed during one)
        // bring theirs to the log that takes them.
        details.seconds = recordings->unsavedSeconds();
    } else if (!talk.isUnused()) {
        const qint64 seconds = talk.seconds();
        if (seconds >= 0 && seconds <= maxTalkSeconds)
            details.seconds = seconds;
        else
            showWarning(
                parent,
                QStringLiteral("通话时长不可信(超过24小时, 时钟可能有误), 本次不保存通话时长."),
                QStringLiteral("提示"));
    }
    return details;
}

void CallPanel::reset()
{
    talk.reset();
    outcomeBox->setCurrentIndex(0);
    initContactWidgets(contact);
    showTime();
    followPerson();
}

void CallPanel::followPerson()
{
    // A save that moved on, or a walk past people it must not dial.
    const bool walking = savedJustNow || progressiveArmed;
    stopCountdown();
    const auto *mapper = dialog->findChild<QDataWidgetMapper *>();
    personKind = dialog->inherits("CallHelperDialog") ? 2 : 1;
    const qint64 shown = personId;
    personId = mapper && mapper->currentIndex() >= 0
                   ? mapper->model()->index(mapper->currentIndex(), ColumnId).data().toLongLong()
                   : -1;
    // The form emptied after a save, before the dialog moves on.
    const bool moved = personId != shown;
    ourCalls.clear();
    phoneTalk.reset();
    // A call answered for this person before the dialog opened is this one's.
    if (PhoneLine *line = PhoneLine::instance(); line && line->inCall() &&
                                                 line->party().kind == personKind &&
                                                 line->party().personId == personId)
        ourCalls.insert(line->callId());
    if (recordings) {
        tidyRecordings();
        recordings->showPerson(personKind, personId, phone->text());
    }
    if (walking) {
        const PhoneLine *line = PhoneLine::instance();
        progressiveArmed = line && line->configured() && loadPhoneOptions().progressiveDialling;
        if (progressiveArmed && moved) {
            savedJustNow = false;
            arriveProgressively();
        }
    }
}

void CallPanel::callEnded(const CallSummary &summary)
{
    if (!ourCalls.contains(summary.callId))
        return;
    if (summary.answered)
        phoneTalk = phoneTalk.value_or(0) + summary.talkSeconds;
    // Suggested from the SIP result; the agent can change it.
    if (!summary.suggestedOutcome.isEmpty() && outcomeBox->currentIndex() <= 0)
        outcomeBox->setCurrentText(summary.suggestedOutcome);
}

std::optional<ContactRecord> CallPanel::takeClosingContact(QWidget *parent)
{
    const std::optional<ContactEntry> entry = readContactEntry(parent, contact, false, false);
    if (!entry)
        return std::nullopt;
    ContactRecord record;
    record.contactType = entry->contactType;
    record.content = entry->content;
    record.nextContactTime = entry->nextContactTime;
    record.nextContactType = entry->nextContactType;
    record.details = takeDetails(parent);
    record.details.outcome = closingOutcome(record.details.outcome);
    record.addTime = nowTime();
    return record;
}

bool CallPanel::hasUnsavedInput() const
{
    return !outcome().isEmpty() || hasContactInput(contact);
}

bool CallPanel::mayDropInput(QWidget *parent)
{
    return !hasUnsavedInput() || askYesNo(parent, QStringLiteral("本次联系记录尚未保存,是否放弃?"),
                                          QStringLiteral("提示"));
}

void CallPanel::dial()
{
    if (!canDial(phone->text()))
        return;
    stopCountdown();
    const DialResult result = dialNumber(dialog, phone->text(), dialButton, personKind, personId);
    if (result == DialledByPhone) {
        ourCalls.insert(PhoneLine::instance()->callId());
        if (walkDay != Clock::now().date()) {
            walkDialled.clear();
            walkDay = Clock::now().date();
        }
        walkDialled.insert(personId);
    } else if (result == DialledByLink && !talk.isRunning()) {
        toggleTimer();
    }
}

void CallPanel::arriveProgressively()
{
    QString skip;
    if (!canDial(phone->text())) {
        skip = QStringLiteral("没有号码");
    } else if (walkDay == Clock::now().date() && walkDialled.contains(personId)) {
        skip = QStringLiteral("今天已拨过");
    } else {
        // The borrowed list may be stale: the stored state decides.
        QSqlQuery query;
        query.prepare(personKind == 1
                          ? QStringLiteral("SELECT user_type FROM customers WHERE id = ?")
                          : QStringLiteral("SELECT user_type FROM helpers WHERE id = ?"));
        query.addBindValue(personId);
        if (query.exec() && query.next() && query.value(0).toInt() == 0)
            skip = QStringLiteral("已放弃");
    }
    if (skip.isEmpty()) {
        countdownLeft = loadPhoneOptions().progressiveCountdownSeconds;
        countdownRow->show();
        countdownTick();
        countdownTimer->start(1000);
        return;
    }
    // Past whom the walk must not dial, to the next row.
    QTimer::singleShot(0, this, [this, skip] {
        auto *mapper = dialog->findChild<QDataWidgetMapper *>();
        if (!mapper)
            return;
        progressiveArmed = true;
        if (!moveToNextRow(mapper))
            stopCountdown(QStringLiteral("连续拨号: 名单已到末尾"));
    });
}

void CallPanel::countdownTick()
{
    // A window over the dialog (the order entry, a question) means the agent
    // is busy with this person: no call is placed behind it.
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != dialog) {
        stopCountdown();
        return;
    }
    if (countdownLeft <= 0) {
        stopCountdown();
        dial();
        return;
    }
    countdownLabel->setText(
        QStringLiteral("%1 秒后拨打下一位 (Esc 或 暂停 停止)").arg(countdownLeft));
    --countdownLeft;
}

bool CallPanel::countingDown() const
{
    return countdownTimer->isActive();
}

void CallPanel::stopCountdown(const QString &why)
{
    countdownTimer->stop();
    progressiveArmed = false;
    countdownLabel->setText(why);
    countdownRow->setVisible(!why.isEmpty());
}

void CallPanel::toggleTimer()
{
    if (talk.isRunning())
        talk.stop();
    else
        talk.start();
    showTime();
}
