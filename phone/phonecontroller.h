#pragma once

#include "common/phonesettings.h"
#include "phone/softphone.h"

#include <QObject>
#include <QPointer>

#include <functional>

class CallWindow;
class IncomingCallWindow;
class QAction;
class QLabel;
class QMainWindow;

// The built-in telephone in the main window: the softphone itself, its
// status-bar field, the window of an incoming call, a window for calls no
// call dialog shows, the missed calls and the pruning of old recordings.
// One per program; the main window gives the ways to open a person.
class PhoneController : public QObject
{
    Q_OBJECT
public:
    struct Hooks
    {
        // The call dialog of a prospect (kind 1) or recruit (kind 2).
        std::function<void(int kind, qint64 personId)> openPerson;
        // 添加准客户名单 with the number filled in.
        std::function<void(const QString &number)> addProspect;
        // A tray notice; the click runs the function.
        std::function<void(const QString &title, const QString &text,
                           const std::function<void()> &onClick)>
            notify;
    };

    // The setup's private folder defaults to softphone/ of the data folder;
    // the rest serves machines without a sound card (the tests).
    PhoneController(QMainWindow *window, const Hooks &hooks,
                    const SoftPhone::Setup &setup = SoftPhone::Setup());
    ~PhoneController() override;
    static PhoneController *instance();

    SoftPhone *phone() const { return m_phone; }
    QString bindAddress() const { return m_bindAddress; }
    // New settings from the dialog.
    void apply(const PhoneAccount &account, const QString &password, const PhoneOptions &options);
    void showNote(const QString &note);
    QLabel *statusLabel() const { return m_statusLabel; }
    int missedCalls() const { return m_missed; }
    void showMissedCalls();
    const Hooks &hooks() const { return m_hooks; }

signals:
    void missedCallsCounted(int count);

private:
    void showStatus();
    void recountMissed();
    void incoming();
    void followCall();
    void pruneOldRecordings();

    QMainWindow *m_window;
    Hooks m_hooks;
    QString m_bindAddress;
    SoftPhone *m_phone = nullptr;
    QLabel *m_statusLabel = nullptr;
    QString m_note;
    int m_missed = 0;
    QPointer<IncomingCallWindow> m_incoming;
    QPointer<CallWindow> m_callWindow;
};
