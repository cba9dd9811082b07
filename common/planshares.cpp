#include "planshares.h"

#include <algorithm>

namespace {
std::optional<PlanShare> share(const QDate &periodBegin, const QDate &periodEnd,
                               const QDate &planBegin, qint64 moneyPerDay, qint64 countPerDay)
{
    const QDate from = std::max(periodBegin, planBegin);
    if (periodEnd < from)
        return std::nullopt;
    const qint64 days = from.daysTo(periodEnd);
    return PlanShare{from, periodEnd, days * moneyPerDay, days * countPerDay};
}

struct PerDay
{
    qint64 money = 0;
    qint64 helperCount = 0;
};

std::optional<PerDay> perDay(const QDate &today, const QDate &begin, qint64 money,
                             qint64 helperCount)
{
    if (!today.isValid() || !begin.isValid() || today < begin)
        return std::nullopt;
    // The span counts with the begin date's day of the year; a begin in an
    // earlier year would spread the plan over a meaningless (even zero or
    // negative) number of days.
    if (begin.year() < today.year())
        return std::nullopt;
    const int daysInYear = QDate::isLeapYear(today.year()) ? 366 : 365;
    const qint64 span = daysInYear - begin.dayOfYear();
    if (span <= 0)
        return std::nullopt;
    return PerDay{money / span, helperCount / span};
}
} // namespace

PlanShares planShares(const QDate &today, const QDate &begin, qint64 money, qint64 helperCount)
{
    const std::optional<PerDay> daily = perDay(today, begin, money, helperCount);
    if (!daily)
        return {};
    const qint64 moneyPerDay = daily->money;
    const qint64 countPerDay = daily->helperCount;

    const QDate monthBegin(today.year(), today.month(), 1);
    const QDate monthEnd(today.year(), today.month(), today.daysInMonth());
    const QDate weekBegin = today.addDays(1 - today.dayOfWeek());
    const QDate weekEnd = today.addDays(7 - today.dayOfWeek());
    return {share(monthBegin, monthEnd, begin, moneyPerDay, countPerDay),
            share(weekBegin, weekEnd, begin, moneyPerDay, countPerDay)};
}

std::optional<PlanShare> planShareToDate(const QDate &today, const QDate &begin, qint64 money,
                                         qint64 helperCount)
{
    const std::optional<PerDay> daily = perDay(today, begin, money, helperCount);
    if (!daily)
        return std::nullopt;
    return share(QDate(today.year(), 1, 1), today, begin, daily->money, daily->helperCount);
}
