#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Every "today" in the program comes from this clock, so that week, month and
// birthday rules can be checked on any chosen day.
namespace Clock {
QDateTime now();
// Freezes the clock at the given local time; an invalid value lets it run again.
void setFixedNow(const QDateTime &localTime);
} // namespace Clock

// Time values are whole seconds since 1970, taken at local calendar
// boundaries; periods are closed at both ends. They are 64-bit so that dates
// after January 2038 survive.
using Seconds = qint64;

Seconds todayBeginTime();
Seconds todayEndTime();
Seconds nowTime();
Seconds GetDayBegin(const QDate &date);
Seconds dayEndTime(const QDate &date);
QDate weekBeginDate();
QDate weekEndDate();
Seconds weekBeginTime();
Seconds weekEndTime();
Seconds monthBeginTime();
Seconds monthEndTime();
Seconds yearBeginTime(int year);
Seconds yearEndTime(int year);
Seconds currentYearBeginTime();
Seconds currentYearEndTime();
int ageFromBirthDate(const QDate &birthDate);
// Birth dates run from 1900-01-01, which stands for "not given", to today.
QDate birthDateNotGiven();
QDate latestBirthDate();
// The age beside a birth date: nothing for a date not given (or not valid).
QString ageText(const QDate &birthDate);
QString todayWeekdayName();
