#pragma once

#include <QElapsedTimer>
#include <QMetaType>
#include <QObject>
#include <QString>

// The telephone as the floors below the phone see it: the call dialogs, the
// lists' "拨号" and the call bar place and follow calls through this, and
// the built-in softphone (phone/) is the one implementation. Null when the
// program runs without it.

// Who a call is with, as far as the program knows: the kind of person
// (1 prospect, 2 recruit, 0 nobody known) and its id, and the dial digits.
struct CallParty
{
    int kind = 0;
    qint64 personId = -1;
    QString digits;
};

enum class CallPhase
{
    Idle,
    Calling,
    Ringing,
    Incoming,
    Talking,
    Ended
};

// How a call ended, once it has.
struct CallSummary
{
    quint64 callId = 0;
    CallParty party;
    bool outgoing = true;
    bool answered = false;
    qint64 talkSeconds = 0;
    // "对方忙", "对方拒接", "无人接听", ...
    QString endText;
    // The outcome the reason suggests ("拒接/挂断", "未接通", "空号/错号"), or empty.
    QString suggestedOutcome;
    // The row of the unsaved call (talk time and recording) it left, or -1.
    qint64 pendingId = -1;
};

Q_DECLARE_METATYPE(CallParty)
Q_DECLARE_METATYPE(CallSummary)

class PhoneLine : public QObject
{
    Q_OBJECT
public:
    ~PhoneLine() override;
    static PhoneLine *instance();

    // True while calls go through the telephone: its account is on and
    // "拨号方式" chose it.
    virtual bool configured() const = 0;
    // True while calls can be placed (the account is registered).
    virtual bool ready() const = 0;
    // Why calls cannot be placed now ("注册失败 (密码错误)"), for a box.
    virtual QString notReadyReason() const = 0;
    // Places the call; false (after nothing) when one runs already or the
    // digits are empty. The call's progress follows through callChanged.
    virtual bool dial(const CallParty &party) = 0;
    virtual void answer() = 0;
    // Ends the call, or declines a ringing incoming one as busy.
    virtual void hangUp() = 0;
    virtual void setMuted(bool muted) = 0;
    virtual void setHeld(bool held) = 0;
    virtual void sendTone(QChar digit) = 0;

    CallPhase phase() const { return m_phase; }
    bool inCall() const { return m_phase != CallPhase::Idle && m_phase != CallPhase::Ended; }
    quint64 callId() const { return m_callId; }
    const CallParty &party() const { return m_party; }
    bool muted() const { return m_muted; }
    bool held() const { return m_held; }
    bool recording() const { return m_recording; }
    // Seconds since the answer, while talking.
    qint64 talkSeconds() const;
    // The text the call bar shows: 呼叫中, 振铃, 通话中 mm:ss, 已结束: reason.
    QString phaseText() const;
    const CallSummary &lastSummary() const { return m_summary; }

    // How many call bars show the call now; a call nobody shows gets a
    // window of its own.
    void addViewer() { ++m_viewers; }
    void removeViewer() { --m_viewers; }
    int viewers() const { return m_viewers; }

signals:
    void callChanged();
    void callEnded(const CallSummary &summary);
    // A call comes in; the party's kind and id are set when the number is known.
    void incomingCall(const CallParty &party, const QString &displayName);
    // Registration state or text changed.
    void statusChanged(const QString &text);
    // Unanswered incoming calls were added or called back.
    void missedCallsChanged();

protected:
    explicit PhoneLine(QObject *parent);
    void setPhase(CallPhase phase);
    void beginCall(const CallParty &party);
    void endCall(const CallSummary &summary);

    CallPhase m_phase = CallPhase::Idle;
    quint64 m_callId = 0;
    CallParty m_party;
    bool m_muted = false;
    bool m_held = false;
    bool m_recording = false;
    QElapsedTimer m_talk;
    CallSummary m_summary;
    int m_viewers = 0;
};
