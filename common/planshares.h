#pragma once

#include <QDate>
#include <QtGlobal>

#include <optional>

// The part of a yearly plan that falls on one period of the current year.
struct PlanShare
{
    QDate from;
    QDate to;
    qint64 money = 0;
    qint64 helperCount = 0;
};

struct PlanShares
{
    std::optional<PlanShare> month;
    std::optional<PlanShare> week;
};

// Spreads a yearly plan evenly over the days from its begin date to the end
// of today's year and gives the current month's and week's parts. The team
// reads the figures as they were always computed: the per-day amount drops
// its fraction, and a period counts the days from its first to its last day
// (so a 30-day month counts 29). A plan that begins today has begun; one that
// has not begun yet, or that began in an earlier year, has no month or week
// part.
PlanShares planShares(const QDate &today, const QDate &begin, qint64 money, qint64 helperCount);

// The part of the same plan from its begin date up to today, counted the same
// way (from the first to the last day); none under the same conditions.
std::optional<PlanShare> planShareToDate(const QDate &today, const QDate &begin, qint64 money,
                                         qint64 helperCount);
