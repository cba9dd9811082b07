#include "phoneline.h"

#include "common/calltools.h"

namespace {
PhoneLine *current = nullptr;
}

PhoneLine::PhoneLine(QObject *parent) : QObject(parent)
{
    current = this;
}

PhoneLine::~PhoneLine()
{
    if (current == this)
        current = nullptr;
}

PhoneLine *PhoneLine::instance()
{
    return current;
}

qint64 PhoneLine::talkSeconds() const
{
    return m_phase == CallPhase::Talking && m_talk.isValid() ? m_talk.elapsed() / 1000 : 0;
}

QString PhoneLine::phaseText() const
{
    switch (m_phase) {
    case CallPhase::Idle:
        return QString();
    case CallPhase::Calling:
        return QStringLiteral("呼叫中");
    case CallPhase::Ringing:
        return QStringLiteral("振铃");
    case CallPhase::Incoming:
        return QStringLiteral("来电");
    case CallPhase::Talking:
        return (m_held ? QStringLiteral("保持中 ") : QStringLiteral("通话中 ")) +
               talkTimeText(talkSeconds());
    case CallPhase::Ended:
        return QStringLiteral("已结束: ") + m_summary.endText;
    }
    return QString();
}

void PhoneLine::setPhase(CallPhase phase)
{
    if (phase == CallPhase::Talking && m_phase != CallPhase::Talking)
        m_talk.start();
    m_phase = phase;
    emit callChanged();
}

void PhoneLine::beginCall(const CallParty &party)
{
    ++m_callId;
    m_party = party;
    m_muted = false;
    m_held = false;
    m_recording = false;
    m_talk.invalidate();
    m_summary = CallSummary();
}

void PhoneLine::endCall(const CallSummary &summary)
{
    m_summary = summary;
    m_recording = false;
    m_muted = false;
    m_held = false;
    m_phase = CallPhase::Ended;
    emit callChanged();
    emit callEnded(summary);
}
