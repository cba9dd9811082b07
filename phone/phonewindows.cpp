#include "phonewindows.h"

#include "store/phonerecords.h"
#include "widgets/callbar.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
QString timeText(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("yyyy-MM-dd hh:mm"));
}
} // namespace

QString IncomingCallWindow::describe(const CallParty &party, const QString &displayName)
{
    QStringList lines{party.digits};
    if (party.kind == 0 || party.personId < 0) {
        // A name the caller sends is not one the agent knows; shown as the caller's.
        if (!displayName.trimmed().isEmpty())
            lines.append(QStringLiteral("来电名称: ") + displayName.simplified().left(40));
        lines.append(QStringLiteral("不在名单中"));
        return lines.join(QLatin1Char('\n'));
    }
    const PersonGlance glance = glanceAt(party.kind, party.personId);
    lines.append(QStringLiteral("%1 (%2)").arg(glance.name, glance.kindText));
    lines.append(QStringLiteral("上次联系: ") +
                 (glance.lastContact > 0 ? timeText(glance.lastContact) : QStringLiteral("无")));
    if (glance.nextContact > 0)
        lines.append(
            QStringLiteral("下次%1: %2")
                .arg(glance.nextContactType == 2 ? QStringLiteral("约访") : QStringLiteral("电话"),
                     timeText(glance.nextContact)));
    return lines.join(QLatin1Char('\n'));
}

IncomingCallWindow::IncomingCallWindow(const CallParty &party, const QString &displayName)
    : QFrame(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("incomingCallWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("来电"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto *caller = new QLabel(this);
    caller->setObjectName(QStringLiteral("labelCaller"));
    // Names and numbers are data, never markup.
    caller->setTextFormat(Qt::PlainText);
    caller->setText(describe(party, displayName));
    auto *buttons = new QHBoxLayout;
    auto *answer = new QPushButton(QStringLiteral("接听"), this);
    answer->setObjectName(QStringLiteral("pushButtonAnswer"));
    auto *decline = new QPushButton(QStringLiteral("拒接"), this);
    decline->setObjectName(QStringLiteral("pushButtonDecline"));
    buttons->addWidget(answer);
    buttons->addWidget(decline);
    layout->addWidget(title);
    layout->addWidget(caller);
    layout->addLayout(buttons);
    setMinimumWidth(260);
    connect(answer, &QPushButton::clicked, this, [this] {
        close();
        emit answered();
    });
    connect(decline, &QPushButton::clicked, this, [this] {
        close();
        emit declined();
    });
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.right() - width() - 8, area.bottom() - height() - 8);
    }
}

CallWindow::CallWindow(QWidget *parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("callWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("通话"));
    auto *layout = new QVBoxLayout(this);
    auto *bar = new CallBar(this);
    bar->setKeepEnded(false);
    layout->addWidget(bar);
    if (PhoneLine *line = PhoneLine::instance()) {
        connect(line, &PhoneLine::callEnded, this, &QWidget::close);
        auto *who = new QLabel(line->party().digits, this);
        who->setTextFormat(Qt::PlainText);
        layout->insertWidget(0, who);
    }
    setMinimumWidth(360);
}
