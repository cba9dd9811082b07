#include "remindertray.h"

#include "calling/opencall.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

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

QString waitingText(const QWidget *modal)
{
    return QStringLiteral("请先完成「%1」窗口, 点击转到该窗口").arg(modal->windowTitle());
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

void AlertPopup::setText(const QString &text)
{
    findChild<QLabel *>(QStringLiteral("labelAlertText"))->setText(text);
    adjustSize();
}

bool AlertPopup::event(QEvent *event)
{
    if (event->type() == QEvent::WindowBlocked) {
        // A modal dialog would swallow the clicks: the notice rides on it,
        // as its own window would, and says that it waits for it.
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal != this && modal->windowHandle() && windowHandle()) {
            windowHandle()->setTransientParent(modal->windowHandle());
            waitFor(modal);
        }
    }
    return QFrame::event(event);
}

bool AlertPopup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == waitingFor && event->type() == QEvent::Hide) {
        // A dialog further down may still be open; it blocks the notice anew.
        waitFor(nullptr);
        if (windowHandle())
            windowHandle()->setTransientParent(nullptr);
    }
    return QFrame::eventFilter(watched, event);
}

void AlertPopup::waitFor(QWidget *modal)
{
    if (waitingFor)
        waitingFor->removeEventFilter(this);
    waitingFor = modal;
    if (modal)
        modal->installEventFilter(this);
    findChild<QLabel *>(QStringLiteral("labelAlertHint"))
        ->setText(modal ? waitingText(modal) : QStringLiteral("点击查看"));
    adjustSize();
}

void AlertPopup::mousePressEvent(QMouseEvent *event)
{
    QFrame::mousePressEvent(event);
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != this) {
        waitFor(modal);
        modal->raise();
        modal->activateWindow();
        return;
    }
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
        if (QWidget *modal = QApplication::activeModalWidget()) {
            // The click's dialog would open behind or over the one in use.
            modal->raise();
            modal->activateWindow();
            trayIcon->showMessage(lastMessageTitle,
                                  lastMessageText + QLatin1Char('\n') + waitingText(modal),
                                  QSystemTrayIcon::Information, AlertPopup::lifetimeMs);
            return;
        }
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
    delete overflowPopup.data();
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
        lastMessageTitle = title;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
        // Desktop notification services read the body as markup.
        lastMessageText = text.toHtmlEscaped();
#else
        lastMessageText = text;
#endif
        trayIcon->showMessage(title, lastMessageText, QSystemTrayIcon::Information,
                              AlertPopup::lifetimeMs);
        return;
    }
    popups.removeIf([](const QPointer<AlertPopup> &open) { return !open || !open->isVisible(); });
    if (popups.size() >= popupsShown) {
        countOverflow(title);
        return;
    }
    auto *popup = new AlertPopup(title, text);
    connect(popup, &AlertPopup::clicked, this, onClick);
    placePopup(popup);
    popups.append(popup);
    popup->show();
}

void ReminderTray::countOverflow(const QString &title)
{
    ++overflowCount;
    const QString text = QStringLiteral("还有 %1 条提醒").arg(overflowCount);
    if (overflowPopup) {
        overflowPopup->setText(text);
        return;
    }
    overflowPopup = new AlertPopup(title, text);
    overflowPopup->setObjectName(QStringLiteral("alertPopupOverflow"));
    connect(overflowPopup, &AlertPopup::clicked, this, [this] {
        if (overflowClick)
            overflowClick();
    });
    // Counted afresh once this notice is gone.
    connect(overflowPopup, &QObject::destroyed, this, [this] { overflowCount = 0; });
    placePopup(overflowPopup);
    overflowPopup->show();
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
    QList<QPointer<AlertPopup>> open = popups;
    open.append(overflowPopup);
    for (const QPointer<AlertPopup> &shown : std::as_const(open)) {
        if (shown && shown->isVisible())
            bottom = std::min(bottom, shown->geometry().top() - 8);
    }
    // A column that reaches the top starts again at the bottom.
    if (bottom - popup->height() - 8 < area.top())
        bottom = area.bottom();
    popup->move(area.right() - popup->width() - 8, bottom - popup->height() - 8);
}
