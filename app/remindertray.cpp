#include "remindertray.h"

#include "calling/opencall.h"

#include <QAction>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace {
// The window's icon where one was set, else the program's own images.
QIcon programIcon(const QWidget *window)
{
    QIcon icon = window->windowIcon();
    if (icon.isNull()) {
        icon.addFile(QStringLiteral(":/new/prefix1/resource/appicon-48.png"));
        icon.addFile(QStringLiteral(":/new/prefix1/resource/appicon-256.png"));
    }
    return icon;
}

QLabel *plainLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    // Names are the agent's data, never markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}
} // namespace

void runCallDialogFor(QWidget *parent, PersonKind kind, qint64 personId)
{
    runCallDialogForPerson(parent, kind == PersonKind::Prospect, personId);
}

AlertPopup::AlertPopup(const QString &title, const QString &text)
    : QFrame(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("alertPopup"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::StyledPanel);
    setCursor(Qt::PointingHandCursor);

    auto *close = new QToolButton(this);
    close->setObjectName(QStringLiteral("toolButtonClose"));
    close->setText(QStringLiteral("×"));
    close->setAutoRaise(true);
    close->setFocusPolicy(Qt::NoFocus);
    connect(close, &QToolButton::clicked, this, &QWidget::close);

    auto *header = new QHBoxLayout;
    QLabel *titleLabel = plainLabel(QStringLiteral("labelAlertTitle"), title, this);
    QFont bold = titleLabel->font();
    bold.setBold(true);
    titleLabel->setFont(bold);
    header->addWidget(titleLabel, 1);
    header->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(plainLabel(QStringLiteral("labelAlertText"), text, this));
    QLabel *hint = plainLabel(QStringLiteral("labelAlertHint"), QStringLiteral("点击查看"), this);
    hint->setStyleSheet(QStringLiteral("color: gray;"));
    layout->addWidget(hint);
    setMinimumWidth(240);

    auto *lifetime = new QTimer(this);
    lifetime->setObjectName(QStringLiteral("timerLifetime"));
    lifetime->setSingleShot(true);
    connect(lifetime, &QTimer::timeout, this, &QWidget::close);
    lifetime->start(lifetimeMs);
}

void AlertPopup::mousePressEvent(QMouseEvent *event)
{
    QFrame::mousePressEvent(event);
    // Gone before the click's dialog opens over it, and for good: the
    // minute's close must not act on a notice already dealt with.
    findChild<QTimer *>(QStringLiteral("timerLifetime"))->stop();
    close();
    emit clicked();
}

ReminderTray::ReminderTray(QWidget *window, const QList<QAction *> &listActions,
                           QAction *exitAction)
    : QObject(window), window(window)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    menu = new QMenu;
    QAction *show = menu->addAction(QStringLiteral("主窗口"));
    connect(show, &QAction::triggered, this, &ReminderTray::showWindow);
    menu->addSeparator();
    menu->addActions(listActions);
    menu->addSeparator();
    menu->addAction(exitAction);

    trayIcon = new QSystemTrayIcon(programIcon(window), this);
    trayIcon->setContextMenu(menu);
    connect(trayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    showWindow();
            });
    connect(trayIcon, &QSystemTrayIcon::messageClicked, this, [this] {
        // Run from a copy: a notice that comes while the click's dialog is
        // open replaces lastMessageClick, which would destroy the running one.
        if (const std::function<void()> click = lastMessageClick)
            click();
    });
    trayIcon->show();
}

ReminderTray::~ReminderTray()
{
    for (const QPointer<AlertPopup> &popup : std::as_const(popups))
        delete popup.data();
    delete menu;
}

void ReminderTray::setToolTip(const QString &text)
{
    if (trayIcon && trayIcon->toolTip() != text)
        trayIcon->setToolTip(text);
}

void ReminderTray::notify(const QString &title, const QString &text,
                          const std::function<void()> &onClick)
{
    if (trayIcon && QSystemTrayIcon::supportsMessages()) {
        lastMessageClick = onClick;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
        // Desktop notification services read the body as markup.
        trayIcon->showMessage(title, text.toHtmlEscaped(), QSystemTrayIcon::Information,
                              AlertPopup::lifetimeMs);
#else
        trayIcon->showMessage(title, text, QSystemTrayIcon::Information, AlertPopup::lifetimeMs);
#endif
        return;
    }
    auto *popup = new AlertPopup(title, text);
    connect(popup, &AlertPopup::clicked, this, onClick);
    placePopup(popup);
    popups.append(popup);
    popup->show();
}

void ReminderTray::showWindow()
{
    window->showNormal();
    window->raise();
    window->activateWindow();
}

// Bottom right, each new notice above those still open.
void ReminderTray::placePopup(AlertPopup *popup)
{
    popups.removeIf([](const QPointer<AlertPopup> &open) { return open.isNull(); });
    popup->adjustSize();
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    int bottom = area.bottom();
    for (const QPointer<AlertPopup> &open : std::as_const(popups)) {
        if (open && open->isVisible())
            bottom = std::min(bottom, open->geometry().top() - 8);
    }
    // A column that reaches the top starts again at the bottom.
    if (bottom - popup->height() - 8 < area.top())
        bottom = area.bottom();
    popup->move(area.right() - popup->width() - 8, bottom - popup->height() - 8);
}
