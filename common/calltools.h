#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Call helpers that need neither widgets nor the store: the buttons that
// set a next-contact time in one click, the outcomes a call can end with, and
// the stopwatch of the talk time. All of them read today from the one clock.

enum class QuickTime
{
    InOneHour,        // "+1小时"
    ThisAfternoon,    // "今天下午 14:00"
    TomorrowMorning,  // "明天 9:00"
    NextMondayMorning // "下周一 9:00"
};

QString quickTimeText(QuickTime which);
// The time the button sets, counted from `now` (whole minutes). Invalid for
// "today 14:00" once that time has passed: a next contact never lies behind.
QDateTime quickContactTime(QuickTime which, const QDateTime &now);

// The outcomes statistics rely on, in this order; the agent may add more in
// the settings, which come after them.
QStringList fixedCallOutcomes();
// The fixed ones followed by the extra ones that are new, blank-free and
// not repeated.
QStringList callOutcomes(const QStringList &extra);
// Where the outcome says enough, the description may stay empty.
bool outcomeNeedsDescription(const QString &outcome);
// The outcome that makes the number worthless: the dialog offers to abandon.
bool outcomeOffersAbandon(const QString &outcome);
// The outcome of a call that ends in a deal or a new member: "约访成功" when
// the agent chose it (the meeting where it was settled), else "成交".
QString closingOutcome(const QString &chosen);

// Longest talk time that is stored; more means the clock jumped.
inline constexpr qint64 maxTalkSeconds = 24 * 60 * 60;

// Talk time measured on the program's clock, so that it stays true across
// midnight and tests can move it. Several runs add up until reset.
class TalkTimer
{
public:
    void start();
    void stop();
    void reset();
    bool isRunning() const { return m_started.isValid(); }
    // Seconds so far (negative when the clock went backwards).
    qint64 seconds() const;
    // Nothing was ever measured since the last reset.
    bool isUnused() const { return !isRunning() && !m_used; }

private:
    QDateTime m_started;
    qint64 m_done = 0;
    bool m_used = false;
};

// "mm:ss", minutes going on past 59.
QString talkTimeText(qint64 seconds);
