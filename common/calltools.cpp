#include "calltools.h"

#include "common/dateutils.h"

namespace {
QDateTime at(const QDate &day, int hour)
{
    return QDateTime(day, QTime(hour, 0));
}

const char *const fixedOutcomeTexts[] = {"未接通", "拒接/挂断", "空号/错号", "无意向",
                                         "有意向", "约访成功",  "成交"};
} // namespace

QString quickTimeText(QuickTime which)
{
    switch (which) {
    case QuickTime::InOneHour:
        return QStringLiteral("+1小时");
    case QuickTime::ThisAfternoon:
        return QStringLiteral("今天下午 14:00");
    case QuickTime::TomorrowMorning:
        return QStringLiteral("明天 9:00");
    case QuickTime::NextMondayMorning:
        return QStringLiteral("下周一 9:00");
    }
    return QString();
}

QDateTime quickContactTime(QuickTime which, const QDateTime &now)
{
    const QDate today = now.date();
    switch (which) {
    case QuickTime::InOneHour: {
        const QDateTime later = now.addSecs(3600);
        return QDateTime(later.date(), QTime(later.time().hour(), later.time().minute()));
    }
    case QuickTime::ThisAfternoon: {
        const QDateTime afternoon = at(today, 14);
        return afternoon > now ? afternoon : QDateTime();
    }
    case QuickTime::TomorrowMorning:
        return at(today.addDays(1), 9);
    case QuickTime::NextMondayMorning:
        // Monday begins the week: from any day, the Monday of the next one.
        return at(today.addDays(8 - today.dayOfWeek()), 9);
    }
    return QDateTime();
}

QStringList fixedCallOutcomes()
{
    QStringList outcomes;
    for (const char *text : fixedOutcomeTexts)
        outcomes.append(QString::fromUtf8(text));
    return outcomes;
}

QStringList callOutcomes(const QStringList &extra)
{
    QStringList outcomes = fixedCallOutcomes();
    for (const QString &text : extra) {
        const QString outcome = text.simplified();
        if (!outcome.isEmpty() && !outcomes.contains(outcome))
            outcomes.append(outcome);
    }
    return outcomes;
}

bool outcomeNeedsDescription(const QString &outcome)
{
    const QStringList fixed = fixedCallOutcomes();
    return !(outcome == fixed.at(0) || outcome == fixed.at(1) || outcome == fixed.at(2));
}

bool outcomeOffersAbandon(const QString &outcome)
{
    return outcome == fixedCallOutcomes().at(2);
}

QString closingOutcome(const QString &chosen)
{
    const QStringList fixed = fixedCallOutcomes();
    return chosen == fixed.at(5) ? chosen : fixed.at(6);
}

void TalkTimer::start()
{
    if (!isRunning())
        m_started = Clock::now();
    m_used = true;
}

void TalkTimer::stop()
{
    if (!isRunning())
        return;
    m_done += m_started.secsTo(Clock::now());
    m_started = QDateTime();
}

void TalkTimer::reset()
{
    m_started = QDateTime();
    m_done = 0;
    m_used = false;
}

qint64 TalkTimer::seconds() const
{
    return m_done + (isRunning() ? m_started.secsTo(Clock::now()) : 0);
}

QString talkTimeText(qint64 seconds)
{
    const qint64 shown = qMax<qint64>(seconds, 0);
    return QStringLiteral("%1:%2")
        .arg(shown / 60, 2, 10, QLatin1Char('0'))
        .arg(shown % 60, 2, 10, QLatin1Char('0'));
}
