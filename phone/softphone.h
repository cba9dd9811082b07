#pragma once

#include "common/phoneline.h"
#include "common/phonesettings.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>

#include <memory>

class QThread;
class QTimer;

namespace linphone {
class Account;
class Call;
class CallParams;
class Core;
class CoreListener;
} // namespace linphone

// The built-in telephone: one liblinphone core driven by a timer on the GUI
// thread (every callback runs inside iterate(), so it may touch widgets),
// one SIP account registered with back-off, and one call at a time. Calls
// that end with talk time or a recording leave an unsaved call in the store
// (pending_calls) until the agent's log takes it; unanswered incoming calls
// go to the missed calls.
class SoftPhone : public PhoneLine
{
    Q_OBJECT
public:
    enum class Registration
    {
        Off,
        Registering,
        Registered,
        // Wrong password or account: no retry until the settings change.
        Refused,
        // Server unreachable or silent: retried with back-off.
        Waiting,
        // The private folder or the core could not be set up.
        Broken
    };

    struct Setup
    {
        // Where liblinphone's own files live (made 0700).
        QString privateFolder;
        // Address the SIP and media sockets bind to; empty for all.
        QString bindAddress;
        // Without a sound card: what the microphone plays and where the
        // speaker's sound goes.
        QString playFile;
        QString speakerFile;
        // Milliseconds between two iterations of the core.
        int iterateMs = 20;
        // First retry after a failed registration, doubled up to the maximum.
        int firstRetrySeconds = 5;
        int maxRetrySeconds = 300;
        // Seconds a registration lasts before it is refreshed.
        int registrationExpires = 600;
    };

    explicit SoftPhone(const Setup &setup, QObject *parent = nullptr);
    ~SoftPhone() override;

    // New account or options: registration starts again with them.
    void apply(const PhoneAccount &account, const QString &password, const PhoneOptions &options);
    void setOptions(const PhoneOptions &options);

    Registration registration() const { return m_registration; }
    // "电话: 已注册 1001", "电话: 注册失败 (密码错误)", "电话: 未连接, 30 秒后重试".
    QString statusText() const;
    int retryInSeconds() const;

    bool configured() const override;
    bool ready() const override;
    QString notReadyReason() const override;
    bool dial(const CallParty &party) override;
    void answer() override;
    void hangUp() override;
    void setMuted(bool muted) override;
    void setHeld(bool held) override;
    void sendTone(QChar digit) override;

    // Ends a running call at once and waits (briefly) until the far end has
    // been told, so that its talk time and recording are kept: the program
    // is about to end.
    void hangUpForQuit();

    // Figures for the tests and the README: milliseconds from dial to the
    // far end's ringing, the longest single iteration of the core, and how
    // many REGISTER attempts were started.
    qint64 lastRingDelayMs() const { return m_ringDelayMs; }
    qint64 longestStepMs() const { return m_longestStepMs; }
    void resetLongestStep() { m_longestStepMs = 0; }
    int registerAttempts() const { return m_registerAttempts; }

    // Called by the core's listener.
    void onCallState(const std::shared_ptr<linphone::Call> &call, int state);
    void onRegistrationState(const std::shared_ptr<linphone::Account> &account, int state);

private:
    void createCore();
    void addConfiguredAccount();
    void iterate();
    void registerAccount();
    void scheduleRetry();
    void retryTick();
    void ringTimedOut();
    void finishCall(const std::shared_ptr<linphone::Call> &call);
    QString newRecordingFile();
    std::shared_ptr<linphone::CallParams> callParams(const std::shared_ptr<linphone::Call> &call);
    CallParty identify(const QString &number) const;
    void setRegistration(Registration state, const QString &reason = QString());

    Setup m_setup;
    PhoneAccount m_account;
    PhoneOptions m_options;
    QString m_password;
    std::shared_ptr<linphone::Core> m_core;
    std::shared_ptr<linphone::CoreListener> m_listener;
    std::shared_ptr<linphone::Account> m_linphoneAccount;
    std::shared_ptr<linphone::Call> m_call;
    QList<std::shared_ptr<linphone::Call>> m_endedCalls;
    QThread *m_starter = nullptr;
    QTimer *m_iterate = nullptr;
    QTimer *m_retry = nullptr;
    QTimer *m_ring = nullptr;
    Registration m_registration = Registration::Off;
    QString m_reason;
    int m_retryDelay = 0;
    QElapsedTimer m_retryClock;
    int m_registerAttempts = 0;

    // The running call.
    QString m_recordingFile;
    bool m_wantRecording = false;
    bool m_answered = false;
    bool m_ringTimedOut = false;
    bool m_declinedHere = false;
    bool m_hungUpHere = false;
    qint64 m_startedAt = 0;
    QElapsedTimer m_dialClock;
    qint64 m_ringDelayMs = -1;
    qint64 m_longestStepMs = 0;
    QString m_brokenReason;
};

// "测试注册": registers the entered account once with a core of its own
// (nothing written to disk) and reports the server's own answer.
class RegistrationProbe : public QObject
{
    Q_OBJECT
public:
    explicit RegistrationProbe(const QString &bindAddress = QString(), QObject *parent = nullptr);
    ~RegistrationProbe() override;
    void start(const PhoneAccount &account, const QString &password, int timeoutSeconds = 15);
    void report(bool ok, const QString &answer);

signals:
    void finished(bool ok, const QString &answer);

private:
    void stop();

    QString m_bindAddress;
    std::shared_ptr<linphone::Core> m_core;
    std::shared_ptr<linphone::CoreListener> m_listener;
    QTimer *m_timer = nullptr;
    bool m_reported = false;
};
