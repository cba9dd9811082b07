#pragma once

#include "store/alertstore.h"

#include <QFrame>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;

// Runs the call dialog of one prospect or recruit on a list of that person
// alone; nothing happens when the person is gone.
void runCallDialogFor(QWidget *parent, PersonKind kind, qint64 personId);

// The line a notice adds while the dialog in use must be finished first.
QString waitingText(const QWidget *modal);

// A small notice in a corner of the screen for desktops without a tray. It
// never takes the keyboard focus from the dialog in use, blocks nothing and
// closes itself after a minute. A click anywhere on it acts; while a modal
// dialog is open, the notice says that it waits for that dialog, stays
// clickable, and a click brings the dialog forward instead.
class AlertPopup : public QFrame
{
    Q_OBJECT
public:
    AlertPopup(const QString &title, const QString &text);

    static constexpr int lifetimeMs = 60 * 1000;

    void setText(const QString &text);

signals:
    void clicked();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    // Shows whom the notice waits for (none: it acts on a click again).
    void waitFor(QWidget *modal);

    QPointer<QWidget> waitingFor;
};

// The program's tray icon with today's numbers as tool tip and a menu of the
// main window, today's follow-up lists and the exit; and the place where
// notices appear: as tray messages, or as corner popups where the desktop
// has no tray.
class ReminderTray : public QObject
{
    Q_OBJECT
public:
    ReminderTray(QWidget *window, const QList<QAction *> &listActions, QAction *exitAction);
    ~ReminderTray() override;

    bool hasTrayIcon() const { return trayIcon != nullptr; }
    void setToolTip(const QString &text);
    // Shows a notice; onClick runs when the agent clicks it.
    void notify(const QString &title, const QString &text, const std::function<void()> &onClick);
    // At most this many corner notices stand at once; the ones beyond are
    // counted in one more notice, "还有 N 条提醒", whose click runs onClick
    // (the list that holds them all).
    static constexpr int popupsShown = 3;
    void setOverflowClick(const std::function<void()> &onClick) { overflowClick = onClick; }

private:
    void showWindow();
    void placePopup(AlertPopup *popup);
    void countOverflow(const QString &title);

    QWidget *window;
    QMenu *menu = nullptr;
    QSystemTrayIcon *trayIcon = nullptr;
    // A tray message reports a click without saying which: it is the last one.
    std::function<void()> lastMessageClick;
    QString lastMessageTitle;
    QString lastMessageText;
    QList<QPointer<AlertPopup>> popups;
    QPointer<AlertPopup> overflowPopup;
    int overflowCount = 0;
    std::function<void()> overflowClick;
};
