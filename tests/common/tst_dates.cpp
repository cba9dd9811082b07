#include "common/dateutils.h"
#include "support/testmain.h"

#include <QCoreApplication>
#include <QTest>

namespace {
int secondsAt(const QDate &date, const QTime &time)
{
    return int(QDateTime(date, time).toSecsSinceEpoch());
}

void setToday(const QDate &date, const QTime &time = QTime(10, 30, 0))
{
    Clock::setFixedNow(QDateTime(date, time));
}
} // namespace

class TestDates : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Clock::setFixedNow(QDateTime()); }

    void weekBoundaries_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("monday");
        QTest::addColumn<QDate>("sunday");
        QTest::newRow("monday") << QDate(2026, 3, 2) << QDate(2026, 3, 2) << QDate(2026, 3, 8);
        QTest::newRow("midweek") << QDate(2026, 3, 5) << QDate(2026, 3, 2) << QDate(2026, 3, 8);
        QTest::newRow("sunday") << QDate(2026, 3, 8) << QDate(2026, 3, 2) << QDate(2026, 3, 8);
        QTest::newRow("across new year")
            << QDate(2026, 12, 31) << QDate(2026, 12, 28) << QDate(2027, 1, 3);
    }

    void weekBoundaries()
    {
        QFETCH(QDate, today);
        QFETCH(QDate, monday);
        QFETCH(QDate, sunday);
        setToday(today);
        QCOMPARE(weekBeginDate(), monday);
        QCOMPARE(weekEndDate(), sunday);
        QCOMPARE(weekBeginTime(), secondsAt(monday, QTime(0, 0, 0)));
        QCOMPARE(weekEndTime(), secondsAt(sunday, QTime(23, 59, 59)));
    }

    void dayAndMonthBoundaries()
    {
        setToday(QDate(2024, 2, 29), QTime(23, 59, 59));
        QCOMPARE(todayBeginTime(), secondsAt(QDate(2024, 2, 29), QTime(0, 0, 0)));
        QCOMPARE(todayEndTime(), todayBeginTime() + 86399);
        QCOMPARE(nowTime(), todayEndTime());
        QCOMPARE(monthBeginTime(), secondsAt(QDate(2024, 2, 1), QTime(0, 0, 0)));
        QCOMPARE(monthEndTime(), secondsAt(QDate(2024, 2, 29), QTime(23, 59, 59)));

        setToday(QDate(2026, 12, 31));
        QCOMPARE(monthEndTime(), secondsAt(QDate(2026, 12, 31), QTime(23, 59, 59)));
        QCOMPARE(currentYearBeginTime(), secondsAt(QDate(2026, 1, 1), QTime(0, 0, 0)));
        QCOMPARE(currentYearEndTime(), secondsAt(QDate(2026, 12, 31), QTime(23, 59, 59)));
        QCOMPARE(yearEndTime(2025), secondsAt(QDate(2025, 12, 31), QTime(23, 59, 59)));
        QCOMPARE(yearBeginTime(2027), currentYearEndTime() + 1);
        QCOMPARE(GetDayBegin(QDate(2026, 3, 7)), secondsAt(QDate(2026, 3, 7), QTime(0, 0, 0)));
        QCOMPARE(dayEndTime(QDate(2026, 3, 7)), secondsAt(QDate(2026, 3, 7), QTime(23, 59, 59)));
    }

    void age_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("birth");
        QTest::addColumn<int>("age");
        QTest::newRow("birthday") << QDate(2026, 6, 15) << QDate(1980, 6, 15) << 46;
        QTest::newRow("day before") << QDate(2026, 6, 14) << QDate(1980, 6, 15) << 45;
        QTest::newRow("earlier month") << QDate(2026, 5, 20) << QDate(1980, 6, 15) << 45;
        QTest::newRow("later month") << QDate(2026, 7, 1) << QDate(1980, 6, 15) << 46;
        QTest::newRow("leapling on 28 Feb") << QDate(2026, 2, 28) << QDate(2000, 2, 29) << 25;
        QTest::newRow("leapling on 1 Mar") << QDate(2026, 3, 1) << QDate(2000, 2, 29) << 26;
        QTest::newRow("leapling in leap year") << QDate(2028, 2, 29) << QDate(2000, 2, 29) << 28;
        QTest::newRow("not given") << QDate(2026, 12, 7) << QDate(1900, 1, 1) << 126;
    }

    void age()
    {
        QFETCH(QDate, today);
        QFETCH(QDate, birth);
        QFETCH(int, age);
        setToday(today);
        QCOMPARE(ageFromBirthDate(birth), age);
    }

    void weekdayNames()
    {
        const QStringList names = {"星期一", "星期二", "星期三", "星期四",
                                   "星期五", "星期六", "星期日"};
        for (int i = 0; i < 7; ++i) {
            setToday(QDate(2026, 3, 2).addDays(i));
            QCOMPARE(todayWeekdayName(), names.at(i));
        }
    }
};

CALLLEDGER_TEST_MAIN(TestDates, QCoreApplication)
#include "tst_dates.moc"
