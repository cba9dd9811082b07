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

// Time values are whole seconds since 1970 in a signed 32-bit int, taken at
// local calendar boundaries; periods are closed at both ends.
int todayBeginTime();
int todayEndTime();
int nowTime();
int GetDayBegin(const QDate &date);
int dayEndTime(const QDate &date);
QDate weekBeginDate();
QDate weekEndDate();
int weekBeginTime();
int weekEndTime();
int monthBeginTime();
int monthEndTime();
int yearBeginTime(int year);
int yearEndTime(int year);
int currentYearBeginTime();
int currentYearEndTime();
int ageFromBirthDate(const QDate &birthDate);
QString todayWeekdayName();
