#include "dateutils.h"


namespace {
QDateTime fixedNow;

Seconds toSeconds(const QDate &date, const QTime &time)
{
    return QDateTime(date, time).toSecsSinceEpoch();
}

QDate today()
{
    return Clock::now().date();
}
} // namespace

QDateTime Clock::now()
{
    return fixedNow.isValid() ? fixedNow : QDateTime::currentDateTime();
}

void Clock::setFixedNow(const QDateTime &localTime)
{
    fixedNow = localTime;
}

Seconds todayBeginTime()
{
    return toSeconds(today(), QTime(0, 0, 0));
}

Seconds todayEndTime()
{
    return toSeconds(today(), QTime(23, 59, 59));
}

Seconds nowTime()
{
    return Clock::now().toSecsSinceEpoch();
}

Seconds GetDayBegin(const QDate &date)
{
    // No diagnostic line: the board asks for this on every tick.
    return toSeconds(date, QTime(0, 0, 0));
}

Seconds dayEndTime(const QDate &date)
{
    return toSeconds(date, QTime(23, 59, 59));
}

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

Seconds weekBeginTime()
{
    return toSeconds(weekBeginDate(), QTime(0, 0, 0));
}

Seconds weekEndTime()
{
    return toSeconds(weekEndDate(), QTime(23, 59, 59));
}

Seconds monthBeginTime()
{
    const QDate day = today();
    return toSeconds(QDate(day.year(), day.month(), 1), QTime(0, 0, 0));
}

Seconds monthEndTime()
{
    const QDate day = today();
    return toSeconds(QDate(day.year(), day.month(), day.daysInMonth()), QTime(23, 59, 59));
}

Seconds yearBeginTime(int year)
{
    return toSeconds(QDate(year, 1, 1), QTime(0, 0, 0));
}

Seconds yearEndTime(int year)
{
    return toSeconds(QDate(year, 12, 31), QTime(23, 59, 59));
}

Seconds currentYearBeginTime()
{
    return yearBeginTime(today().year());
}

Seconds currentYearEndTime()
{
    return yearEndTime(today().year());
}

int ageFromBirthDate(const QDate &birthDate)
{
    const QDate day = today();
    int age = day.year() - birthDate.year();
    if (day.month() < birthDate.month() ||
        (day.month() == birthDate.month() && day.day() < birthDate.day()))
        --age;
    return age;
}

QDate birthDateNotGiven()
{
    return QDate(1900, 1, 1);
}

QDate latestBirthDate()
{
    return today();
}

QString ageText(const QDate &birthDate)
{
    if (!birthDate.isValid() || birthDate == birthDateNotGiven())
        return QString();
    return QString::number(ageFromBirthDate(birthDate));
}

QString todayWeekdayName()
{
    static const char *const names[] = {"星期一", "星期二", "星期三", "星期四",
                                        "星期五", "星期六", "星期日"};
    return QString::fromUtf8(names[today().dayOfWeek() - 1]);
}
