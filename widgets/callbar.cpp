#include "callbar.h"

#include "common/phoneline.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

namespace {
bool isTone(const QString &text)
{
    return text.size() == 1 &&
           (text.at(0).isDigit() || text == QLatin1String("*") || text == QLatin1String("#"));
}
} // namespace

CallBar::CallBar(QWidget *parent) : QWidget(parent), line(PhoneLine::instance())
{
    setObjectName(QStringLiteral("callBar"));
    setFocusPolicy(Qt::StrongFocus);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    auto *row = new QHBoxLayout;
    stateLabel = new QLabel(this);
    stateLabel->setObjectName(QStringLiteral("labelCallState"));
    QFont bold = stateLabel->font();
    bold.setBold(true);
    stateLabel->setFont(bold);
    recordingLabel = new QLabel(QStringLiteral("本次通话正在录音"), this);
    recordingLabel->setObjectName(QStringLiteral("labelRecording"));
    recordingLabel->setStyleSheet(QStringLiteral("color: #b00000;"));
    hangUpButton = new QPushButton(QStringLiteral("挂断"), this);
    hangUpButton->setObjectName(QStringLiteral("pushButtonHangUp"));
    hangUpButton->setToolTip(QStringLiteral("挂断 (Ctrl+E)"));
    muteButton = new QPushButton(QStringLiteral("静音"), this);
    muteButton->setObjectName(QStringLiteral("pushButtonMute"));
    muteButton->setCheckable(true);
    holdButton = new QPushButton(QStringLiteral("保持"), this);
    holdButton->setObjectName(QStringLiteral("pushButtonHold"));
    holdButton->setCheckable(true);
    auto *keypadButton = new QToolButton(this);
    keypadButton->setObjectName(QStringLiteral("toolButtonKeypad"));
    keypadButton->setText(QStringLiteral("拨号盘"));
    keypadButton->setCheckable(true);
    for (QPushButton *button : {hangUpButton, muteButton, holdButton})
        button->setAutoDefault(false);
    row->addWidget(stateLabel, 1);
    row->addWidget(recordingLabel);
    row->addWidget(muteButton);
    row->addWidget(holdButton);
    row->addWidget(keypadButton);
    row->addWidget(hangUpButton);
    column->addLayout(row);

    keypad = new QWidget(this);
    keypad->setObjectName(QStringLiteral("widgetKeypad"));
    auto *grid = new QGridLayout(keypad);
    grid->setContentsMargins(0, 0, 0, 0);
    const QString keys = QStringLiteral("123456789*0#");
    for (int i = 0; i < keys.size(); ++i) {
        auto *key = new QToolButton(keypad);
        key->setText(keys.mid(i, 1));
        key->setObjectName(QStringLiteral("toolButtonTone") + (keys.at(i).isDigit() ? keys.mid(i, 1)
                                                               : keys.at(i) == QLatin1Char('*')
                                                                   ? QStringLiteral("Star")
                                                                   : QStringLiteral("Hash")));
        key->setFocusPolicy(Qt::NoFocus);
        grid->addWidget(key, i / 3, i % 3);
        connect(key, &QToolButton::clicked, this, [this, key] {
            if (line)
                line->sendTone(key->text().at(0));
        });
    }
    keypad->hide();
    column->addWidget(keypad);
    connect(keypadButton, &QToolButton::toggled, keypad, &QWidget::setVisible);

    if (line) {
        connect(hangUpButton, &QPushButton::clicked, line, &PhoneLine::hangUp);
        connect(muteButton, &QPushButton::clicked, line, &PhoneLine::setMuted);
        connect(holdButton, &QPushButton::clicked, line, &PhoneLine::setHeld);
        connect(line, &PhoneLine::callChanged, this, &CallBar::follow);
    }
    // Shortcuts of the window the bar sits in, while the bar is shown.
    auto *hangUpKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    hangUpKey->setContext(Qt::WindowShortcut);
    connect(hangUpKey, &QShortcut::activated, hangUpButton, &QPushButton::click);
    // Esc while it rings hangs up instead of closing the window.
    if (window() != this)
        window()->installEventFilter(this);
    tick = new QTimer(this);
    connect(tick, &QTimer::timeout, this, &CallBar::follow);
    follow();
}

CallBar::~CallBar()
{
    setViewing(false);
}

void CallBar::follow()
{
    const bool active = line && line->inCall();
    const bool shown =
        active || (line && keepEnded && line->phase() == CallPhase::Ended && line->callId() > 0);
    setVisible(shown);
    if (!line)
        return;
    stateLabel->setText(line->phaseText());
    recordingLabel->setVisible(line->recording());
    const bool talking = line->phase() == CallPhase::Talking;
    hangUpButton->setEnabled(active);
    muteButton->setEnabled(talking);
    holdButton->setEnabled(talking);
    muteButton->setChecked(line->muted());
    holdButton->setChecked(line->held());
    keypad->setEnabled(talking);
    if (talking && !tick->isActive())
        tick->start(1000);
    else if (!talking)
        tick->stop();
    setViewing(active && isVisible());
}

void CallBar::setViewing(bool on)
{
    if (!line || on == viewing)
        return;
    viewing = on;
    if (on)
        line->addViewer();
    else
        line->removeViewer();
}

void CallBar::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    setViewing(line && line->inCall());
}

void CallBar::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    setViewing(false);
}

void CallBar::keyPressEvent(QKeyEvent *event)
{
    if (line && line->phase() == CallPhase::Talking && isTone(event->text())) {
        line->sendTone(event->text().at(0));
        return;
    }
    QWidget::keyPressEvent(event);
}

bool CallBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && line &&
        (line->phase() == CallPhase::Calling || line->phase() == CallPhase::Ringing) &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        line->hangUp();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
