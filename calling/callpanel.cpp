#include "callpanel.h"

#include "common/appsettings.h"
#include "widgets/dialer.h"
#include "widgets/messageboxes.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
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
    : QObject(dialog), dialog(dialog), phone(phone)
{
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
    outcomeLabel->setBuddy(outcomeBox);
    contentRow->addWidget(outcomeLabel);
    contentRow->addWidget(outcomeBox);

    addQuickTimes(contact.nextCall, contact.nextPhone, QStringLiteral("toolButtonCallQuick"));
    addQuickTimes(contact.nextVisitTime, contact.nextVisit, QStringLiteral("toolButtonVisitQuick"));

    tick = new QTimer(this);
    connect(tick, &QTimer::timeout, this, &CallPanel::showTime);
    tick->start(1000);
    showTime();
}

void CallPanel::addQuickTimes(QWidget *edit, QWidget *radio, const QString &namePrefix)
{
    QHBoxLayout *row = rowAround(edit);
    auto *dateEdit = qobject_cast<QDateTimeEdit *>(edit);
    auto *choice = qobject_cast<QRadioButton *>(radio);
    for (const QuickTime which : {QuickTime::InOneHour, QuickTime::ThisAfternoon,
                                  QuickTime::TomorrowMorning, QuickTime::NextMondayMorning}) {
        auto *button = new QToolButton(dialog);
        button->setObjectName(namePrefix + QString::number(int(which)));
        button->setText(quickTimeText(which));
        button->setFocusPolicy(Qt::TabFocus);
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
    }
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
    showTime();
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
