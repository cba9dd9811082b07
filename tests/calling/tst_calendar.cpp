#include "listfixtures.h"
#include "prospectfixtures.h"

#include "calling/calendardialog.h"
#include "calling/customercalendardelegate.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QApplication>
#include <QDateEdit>
#include <QPushButton>
#include <QTableView>

using namespace Fixtures;
using namespace ListFixtures;

namespace {
QTableView *prospects(QWidget *dialog)
{
    return dialog->findChild<QTableView *>("tableView");
}

QTableView *recruits(QWidget *dialog)
{
    return dialog->findChild<QTableView *>("tableViewHelper");
}

QDate dateOf(QWidget *dialog, const char *edit)
{
    return dialog->findChild<QDateEdit *>(edit)->date();
}

Seconds at(const QDate &date, const QTime &time)
{
    return QDateTime(date, time).toSecsSinceEpoch();
}

const QDate saturday(2026, 3, 7);
} // namespace

class TestCalendar : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestWorkspace> workspace;
    std::unique_ptr<MessageRecorder> messages;

private slots:
    void init()
    {
        Clock::setFixedNow(QDateTime(saturday, QTime(9, 5, 30)));
        workspace = std::make_unique<TestWorkspace>();
        messages = std::make_unique<MessageRecorder>();
        QVERIFY(workspace->openDatabase());
    }

    void cleanup()
    {
        QCOMPARE(messages->count(), 0);
        messages.reset();
        workspace.reset();
        Clock::setFixedNow(QDateTime());
    }

    void boundariesOfTheRange_data()
    {
        QTest::addColumn<Seconds>("visit");
        QTest::addColumn<int>("nextType");
        QTest::addColumn<bool>("listed");
        const QDate end = saturday.addDays(1);
        QTest::newRow("first second") << at(saturday, QTime(0, 0)) << 2 << true;
        QTest::newRow("second before") << at(saturday, QTime(0, 0)) - 1 << 2 << false;
        QTest::newRow("23:59:59 of the end") << at(end, QTime(23, 59, 59)) << 2 << true;
        QTest::newRow("00:00:00 the day after") << at(end.addDays(1), QTime(0, 0)) << 2 << false;
        QTest::newRow("a phone follow-up") << at(saturday, QTime(10, 0)) << 1 << false;
    }

    void boundariesOfTheRange()
    {
        QFETCH(Seconds, visit);
        QFETCH(int, nextType);
        QFETCH(bool, listed);
        for (const Person person : {Person::Prospect, Person::Recruit}) {
            const int id = person == Person::Prospect ? insertProspect(prospect("张三"))
                                                      : insertRecruit("李四", 1);
            QVERIFY(addLog(person, id, visit - 86400, 1, visit, nextType));
        }
        CalendarDialog dialog(nullptr, todayBeginTime(), todayEndTime() + 86400);
        QCOMPARE(prospects(&dialog)->model()->rowCount(), listed ? 1 : 0);
        QCOMPARE(recruits(&dialog)->model()->rowCount(), listed ? 1 : 0);
    }

    void whoIsListed()
    {
        const int moved = insertProspect(prospect("张三"));
        const int abandoned = insertProspect(prospect("王五", 0));
        const int abandonedRecruit = insertRecruit("赵六", 0);
        const int member = insertRecruit("钱七", 2);
        const int recruit = insertRecruit("孙八", 1);
        const Seconds noon = at(saturday, QTime(12, 0));
        QVERIFY(addLog(Person::Prospect, moved, noon - 86400, 1, noon, 2));
        QVERIFY(addLog(Person::Prospect, moved, noon - 3600, 1, noon + 60, 2));
        QVERIFY(addLog(Person::Prospect, abandoned, noon - 86400, 1, noon, 2));
        for (const int id : {abandonedRecruit, member, recruit})
            QVERIFY(addLog(Person::Recruit, id, noon - 86400, 1, noon, 2));

        CalendarDialog dialog(nullptr, todayBeginTime(), todayEndTime());
        QStringList names = columnTexts(prospects(&dialog), 2);
        names.sort();
        // 张三's second log moved the visit: only the latest plan counts. The
        // abandoned are due nowhere; members are due like recruits.
        QCOMPARE(names, QStringList({"张三"}));
        QCOMPARE(columnTexts(recruits(&dialog), 2), QStringList({"钱七", "孙八"}));
    }

    void timeTextWithoutLeadingZeros_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("single digits")
            << QDateTime(QDate(2026, 1, 5), QTime(8, 7)) << QString("2026-1-5 8:7");
        QTest::newRow("two digits")
            << QDateTime(QDate(2026, 12, 25), QTime(14, 30, 59)) << QString("2026-12-25 14:30");
        QTest::newRow("after 2038")
            << QDateTime(QDate(2040, 2, 29), QTime(0, 0)) << QString("2040-2-29 0:0");
    }

    void timeTextWithoutLeadingZeros()
    {
        QFETCH(QDateTime, time);
        QTEST(calendarTimeText(time.toSecsSinceEpoch()), "text");
    }

    // On a Sunday; "确定" takes the typed dates. The visits lie on the first
    // and the last second of the range.
    void rangeButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QDate>("begin");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<int>("rows");
        const QDate sunday(2026, 3, 8);
        QTest::newRow("今日") << "pushButtonToday" << sunday << sunday << 2;
        QTest::newRow("本周") << "pushButtonCurrentWeek" << QDate(2026, 3, 2) << sunday << 2;
        QTest::newRow("本月") << "pushButtonCurrentMonth" << QDate(2026, 3, 1) << QDate(2026, 3, 31)
                              << 2;
        QTest::newRow("typed") << "pushButtonOk" << QDate(2026, 4, 1) << QDate(2026, 4, 2) << 2;
        // A begin after the end empties the tables without a message.
        QTest::newRow("typed, begin after end")
            << "pushButtonOk" << sunday << QDate(2026, 3, 7) << 0;
    }

    void rangeButtons()
    {
        QFETCH(QString, button);
        QFETCH(QDate, begin);
        QFETCH(QDate, end);
        Clock::setFixedNow(QDateTime(QDate(2026, 3, 8), QTime(22, 0)));
        const int first = insertProspect(prospect("张三"));
        const int last = insertProspect(prospect("李四"));
        QVERIFY(addLog(Person::Prospect, first, 0, 1, at(begin, QTime(0, 0)), 2));
        QVERIFY(addLog(Person::Prospect, last, 0, 1, at(end, QTime(23, 59, 59)), 2));

        const QDate elsewhere(2025, 1, 1);
        CalendarDialog dialog(nullptr, at(elsewhere, QTime(0, 0)), at(elsewhere, QTime(0, 0)));
        if (button == "pushButtonOk") {
            child<QDateEdit>(&dialog, "dateEditBegin")->setDate(begin);
            child<QDateEdit>(&dialog, "dateEditEnd")->setDate(end);
        }
        QCOMPARE(prospects(&dialog)->model()->rowCount(), 0); // nothing loads before the click
        QTest::mouseClick(child<QPushButton>(&dialog, button), Qt::LeftButton);
        QCOMPARE(dateOf(&dialog, "dateEditBegin"), begin);
        QCOMPARE(dateOf(&dialog, "dateEditEnd"), end);
        QTEST(prospects(&dialog)->model()->rowCount(), "rows");
    }
};

CALLLEDGER_TEST_MAIN(TestCalendar, QApplication)
#include "tst_calendar.moc"
