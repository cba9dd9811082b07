#include "dateutils.h"

#include <QDebug>

namespace {
QDateTime fixedNow;

int toSeconds(const QDate &date, const QTime &time)
{
    return static_cast<int>(QDateTime(date, time).toSecsSinceEpoch());
}

QDate today() { return Clock::now().date(); }
} // namespace

QDateTime Clock::now() { return fixedNow.isValid() ? fixedNow : QDateTime::currentDateTime(); }

void Clock::setFixedNow(const QDateTime &localTime) { fixedNow = localTime; }

int todayBeginTime() { return toSeconds(today(), QTime(0, 0, 0)); }

int todayEndTime() { return toSeconds(today(), QTime(23, 59, 59)); }

int nowTime() { return static_cast<int>(Clock::now().toSecsSinceEpoch()); }

int GetDayBegin(const QDate &date)
{
    const int value = toSeconds(date, QTime(0, 0, 0));
    qDebug() << "GetDayBegin" << value;
    return value;
}

int dayEndTime(const QDate &date) { return toSeconds(date, QTime(23, 59, 59)); }

QDate weekBeginDate()
{
    const QDate day = today();
    return day.addDays(-(day.dayOfWeek() - 1));
}

QDate weekEndDate()
{
    const QDate day = today();
    return day.addDays(7 - day.dayOfWeek());
}

int weekBeginTime() { return toSeconds(weekBeginDate(), QTime(0, 0, 0)); }

int weekEndTime() { return toSeconds(weekEndDate(), QTime(23, 59, 59)); }

int monthBeginTime()
{
    const QDate day = today();
    return toSeconds(QDate(day.year(), day.month(), 1), QTime(0, 0, 0));
}

int monthEndTime()
{
    const QDate day = today();
    return toSeconds(QDate(day.year(), day.month(), day.daysInMonth()), QTime(23, 59, 59));
}

int yearBeginTime(int year) { return toSeconds(QDate(year, 1, 1), QTime(0, 0, 0)); }

int yearEndTime(int year) { return toSeconds(QDate(year, 12, 31), QTime(23, 59, 59)); }

int currentYearBeginTime() { return yearBeginTime(today().year()); }

int currentYearEndTime() { return yearEndTime(today().year()); }

int ageFromBirthDate(const QDate &birthDate)
{
    const QDate day = today();
    int age = day.year() - birthDate.year();
    if (day.month() < birthDate.month() ||
        (day.month() == birthDate.month() && day.day() < birthDate.day()))
        --age;
    return age;
}

QString todayWeekdayName()
{
    static const char *const names[] = {"星期一", "星期二", "星期三", "星期四",
                                        "星期五", "星期六", "星期日"};
    return QString::fromUtf8(names[today().dayOfWeek() - 1]);
}
