#include "callpanel.h"

#include "common/appsettings.h"
#include "widgets/dialer.h"
#include "widgets/messageboxes.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
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
    talk.stop();
    showTime();
    if (!talk.isUnused()) {
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
    timerButton->setText(QStringLiteral("开始计时"));
    outcomeBox->setCurrentIndex(0);
    initContactWidgets(contact);
    showTime();
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
    if (dialNumber(dialog, phone->text(), dialButton) && !talk.isRunning())
        toggleTimer();
}

void CallPanel::toggleTimer()
{
    if (talk.isRunning()) {
        talk.stop();
        timerButton->setText(QStringLiteral("开始计时"));
    } else {
        talk.start();
        timerButton->setText(QStringLiteral("停止计时"));
    }
    showTime();
}
