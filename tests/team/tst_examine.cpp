#include "teamtesting.h"

#include "common/dateutils.h"
#include "store/teamstore.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "team/teammateexaminedialog.h"

#include <QLabel>
#include <QTableView>
#include <QTableWidget>

using namespace TeamTesting;

namespace {
// The period's label and its share of the plan as "label money/count".
QString period(QWidget *dialog, const QString &which)
{
    auto *table = dialog->findChild<QTableWidget *>("tableWidget" + which + "Task");
    const auto cell = [table](int column) {
        const QTableWidgetItem *item = table->item(0, column);
        return item ? item->text() : QString();
    };
    return dialog->findChild<QLabel *>("label" + which)->text() + " " + cell(0) + "/" + cell(1);
}

// "money/count" of the sums shown in a view, "-" when it shows none.
QString sums(QWidget *dialog, const char *view)
{
    const QAbstractItemModel *model = child<QTableView>(dialog, view)->model();
    if (!model || model->rowCount() == 0)
        return QStringLiteral("-");
    return model->index(0, 0).data().toString() + "/" + model->index(0, 1).data().toString();
}

// Chooses the only member through the picker and queries the year.
void query(TeammateExamineDialog *dialog, int year)
{
    pickMemberWhenAsked(0);
    press(dialog, "pushButtonSelectTeammate");
    chooseYear(dialog, year);
    press(dialog, "pushButtonQuery");
}

Seconds at(int year, int month, int day)
{
    return GetDayBegin(QDate(year, month, day));
}
} // namespace

class TestExamine : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        workspace = std::make_unique<TestWorkspace>();
        QVERIFY(workspace->openDatabase());
        member = addMember(QStringLiteral("王强"));
        QVERIFY(member > 0);
    }
    void cleanup()
    {
        Clock::setFixedNow(QDateTime());
        workspace.reset();
    }

    void monthAndWeekShares_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("begin");
        QTest::addColumn<qint64>("money");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("month"); // label, then the share as money/count
        QTest::addColumn<QString>("week");
        const auto row = [](const char *tag, QDate today, QDate begin, qint64 money, int count,
                            const QString &month, const QString &week) {
            QTest::newRow(tag) << today << begin << money << count << month << week;
        };
        const QString none = " /";
        const qint64 big = qint64(1) << 40;

        // 100000 / 364 = 274 a day; a 30-day month counts 29 days, a week 6.
        row("from 1 January", {2026, 6, 10}, {2026, 1, 1}, 100000, 10, "6月 7946/0",
            "(2026-06-08至2026-06-14) 1644/0");
        // Begun on 10 June: span 204, 490 and 4 a day, counted from the 10th.
        row("begun inside the month", {2026, 6, 20}, {2026, 6, 10}, 100000, 1000, "6月 9800/80",
            "(2026-06-15至2026-06-21) 2940/24");
        row("begun inside the week", {2026, 6, 12}, {2026, 6, 10}, 100000, 1000, "6月 9800/80",
            "(2026-06-10至2026-06-14) 1960/16");
        row("week over two months", {2026, 10, 1}, {2026, 1, 1}, 100000, 10, "10月 8220/0",
            "(2026-09-28至2026-10-04) 1644/0");
        // A leap year spreads over 365 days from 1 January: 273 a day.
        row("leap year", {2028, 6, 14}, {2028, 1, 1}, 100000, 10, "6月 7917/0",
            "(2028-06-12至2028-06-18) 1638/0");
        row("64-bit plan", {2026, 6, 10}, {2026, 1, 1}, big, 0,
            "6月 " + QString::number(big / 364 * 29) + "/0",
            "(2026-06-08至2026-06-14) " + QString::number(big / 364 * 6) + "/0");
        row("begins today", {2026, 6, 10}, {2026, 6, 10}, 100000, 10, "6月 9800/0",
            "(2026-06-10至2026-06-14) 1960/0");
        row("begins on the month's last day", {2026, 6, 30}, {2026, 6, 30}, 100000, 1000, "6月 0/0",
            "(2026-06-30至2026-07-05) 2715/25");
        row("begins tomorrow", {2026, 6, 10}, {2026, 6, 11}, 100000, 10, none, none);
        // A begin in an earlier year gives no meaningful daily share (its last
        // day would even divide by zero).
        row("begun last day of an earlier year", {2026, 6, 10}, {2025, 12, 31}, 100000, 10, none,
            none);
    }

    void monthAndWeekShares()
    {
        QFETCH(QDate, today);
        QFETCH(QDate, begin);
        QFETCH(qint64, money);
        QFETCH(int, count);
        Clock::setFixedNow(QDateTime(today, QTime(9, 30)));
        QVERIFY(addTeammateTask(member, today.year(), GetDayBegin(begin), money, count));

        TeammateExamineDialog dialog;
        query(&dialog, today.year());

        QCOMPARE(child<QLabel>(&dialog, "labelYear")->text(), QString::number(today.year()) + "年");
        QTEST(period(&dialog, "Month"), "month");
        QTEST(period(&dialog, "Week"), "week");
    }

    void otherYearsShowOnlyTheYear_data()
    {
        QTest::addColumn<int>("year");
        QTest::newRow("past year") << 2025;
        QTest::newRow("future year") << 2027;
    }

    void otherYearsShowOnlyTheYear()
    {
        QFETCH(int, year);
        Clock::setFixedNow(QDateTime(QDate(2026, 6, 10), QTime(9, 30)));
        QVERIFY(addTeammateTask(member, year, at(year, 1, 1), 36500, 12));
        QVERIFY(addTeammateTask(member, 2026, at(2026, 1, 1), 100000, 10));
        QVERIFY(addEarningReport(member, at(year, 6, 9), 700, 1, QString()));

        // The current year first: the next query must clear its month and week.
        TeammateExamineDialog dialog;
        query(&dialog, 2026);
        QCOMPARE(period(&dialog, "Week"), QString("(2026-06-08至2026-06-14) 1644/0"));
        chooseYear(&dialog, year);
        press(&dialog, "pushButtonQuery");

        QCOMPARE(child<QLabel>(&dialog, "labelYear")->text(), QString::number(year) + "年");
        const QAbstractItemModel *plan = child<QTableView>(&dialog, "tableViewTask")->model();
        QCOMPARE(plan->index(0, 5).data().toString() + "/" + plan->index(0, 6).data().toString(),
                 QString("36500/12"));
        QCOMPARE(sums(&dialog, "tableViewEarningReport"), QString("700/1"));
        QCOMPARE(period(&dialog, "Month") + period(&dialog, "Week"), QString(" / /"));
        QCOMPARE(sums(&dialog, "tableViewEarningReportMonth") +
                     sums(&dialog, "tableViewEarningReportWeek"),
                 QString("--"));
    }

    void achievementsPerPeriodIn64Bits()
    {
        Clock::setFixedNow(QDateTime(QDate(2026, 6, 10), QTime(9, 30)));
        const int other = addMember(QStringLiteral("李明"));
        // Year only, month but not week, this week twice (above 2^31 together),
        // the last second of the week, and rows that must not count.
        QVERIFY(addEarningReport(member, at(2026, 1, 5), 100, 1, QString()));
        QVERIFY(addEarningReport(member, at(2026, 6, 2), 20, 2, QString()));
        QVERIFY(addEarningReport(member, at(2026, 6, 9), 2000000000, 0, QString()));
        QVERIFY(addEarningReport(member, at(2026, 6, 10), 2000000000, 3, QString()));
        QVERIFY(addEarningReport(member, weekEndTime(), 1, 0, QString()));
        QVERIFY(addEarningReport(member, weekEndTime() + 1, 5000, 0, QString()));
        QVERIFY(addEarningReport(member, at(2025, 12, 31), 7777, 7, QString()));
        QVERIFY(addEarningReport(other, at(2026, 6, 10), 9999, 9, QString()));

        TeammateExamineDialog dialog;
        query(&dialog, 2026);

        QCOMPARE(sums(&dialog, "tableViewEarningReport"), QString("4000005121/6"));
        QCOMPARE(sums(&dialog, "tableViewEarningReportMonth"), QString("4000005021/5"));
        QCOMPARE(sums(&dialog, "tableViewEarningReportWeek"), QString("4000000001/3"));
        // No plan: the plan table is empty and nothing is shared out.
        QCOMPARE(child<QTableView>(&dialog, "tableViewTask")->model()->rowCount(), 0);
        QCOMPARE(period(&dialog, "Month"), QString(" /"));
    }

    void queryNeedsMemberThenYear()
    {
        MessageRecorder messages;
        TeammateExamineDialog dialog;
        chooseYear(&dialog, 2026);
        press(&dialog, "pushButtonQuery");
        QCOMPARE(messages.texts(), QStringList({"请先选择团队成员"}));
        QCOMPARE(messages.last().title, QString("提示"));

        messages.clear();
        child<QComboBox>(&dialog, "comboBoxYear")->setCurrentIndex(-1);
        pickMemberWhenAsked(0);
        press(&dialog, "pushButtonSelectTeammate");
        press(&dialog, "pushButtonQuery");
        QCOMPARE(messages.texts(), QStringList({"请设置考核年份"}));
        QCOMPARE(child<QLabel>(&dialog, "labelYear")->text(), QString());
    }

private:
    std::unique_ptr<TestWorkspace> workspace;
    int member = -1;
};

CALLLEDGER_TEST_MAIN(TestExamine, QApplication)
#include "tst_examine.moc"
