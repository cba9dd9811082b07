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

// A small notice in a corner of the screen for desktops without a tray. It
// never takes the keyboard focus from the dialog in use, blocks nothing and
// closes itself after a minute. A click anywhere on it acts.
class AlertPopup : public QFrame
{
    Q_OBJECT
public:
    AlertPopup(const QString &title, const QString &text);

    static constexpr int lifetimeMs = 60 * 1000;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
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

private:
    void showWindow();
    void placePopup(AlertPopup *popup);

    QWidget *window;
    QMenu *menu = nullptr;
    QSystemTrayIcon *trayIcon = nullptr;
    // A tray message reports a click without saying which: it is the last one.
    std::function<void()> lastMessageClick;
    QList<QPointer<AlertPopup>> popups;
};
