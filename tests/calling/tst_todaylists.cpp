#include "listfixtures.h"
#include "prospectfixtures.h"

#include "app/mainwindow.h"
#include "common/appsettings.h"
#include "calling/contactedcustomersdialog.h"
#include "calling/todayfirstphonecustomersdialog.h"
#include "calling/todayfirstphonehelpersdialog.h"
#include "calling/todaysubscribecustomersdialog.h"
#include "calling/todaysubscribehelpersdialog.h"
#include "store/customermodels.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

using namespace Fixtures;
using namespace ListFixtures;

namespace {
QTableView *tableOf(QWidget *dialog)
{
    return child<QTableView>(dialog, "tableView");
}

// The quota of first contacts applies as the list opens.
std::unique_ptr<QDialog> firstCallList(Person person, int quota)
{
    if (person == Person::Prospect) {
        appSettings.setCustomersCount(quota);
        return std::make_unique<TodayFirstPhoneCustomersDialog>();
    }
    appSettings.setHelpersCount(quota);
    return std::make_unique<TodayFirstPhoneHelpersDialog>();
}

void addPeople(Person person, int count)
{
    for (int i = 0; i < count; ++i)
        QVERIFY(addPerson(person, QStringLiteral("人%1").arg(i)) > 0);
}

// A busy day, the same for prospects and recruits: three never called (two in
// 北京), an abandoned one, a first call today; calls due, moved to tomorrow or
// asked back this evening; a visit due and one moved.
void seedBusyDay(Seconds noon)
{
    const Seconds before = noon - 86400, evening = noon + 6 * 3600, after = noon + 86400;
    for (const Person k : {Person::Prospect, Person::Recruit}) {
        for (const QString address : {"北京朝阳", "上海", "北京海淀"})
            QVERIFY(addPerson(k, "新", 1, 0, address) > 0);
        QVERIFY(addPerson(k, "弃", 0, 0, "北京") > 0);
        const auto add = [k] { return addPerson(k, "人", 1, 1, "北京"); };
        int id = add();
        QVERIFY(addLog(k, id, noon, 1, after + 86400, 1) && addTrack(k, id, noon, 1));
        QVERIFY(addLog(k, add(), before, 1, noon, 1));
        id = add();
        QVERIFY(addLog(k, id, before, 1, noon, 1) && addLog(k, id, noon - 60, 1, after, 1));
        id = add();
        QVERIFY(addLog(k, id, before - 86400, 1, before, 1) && addLog(k, id, noon, 1, evening, 1));
        QVERIFY(addLog(k, add(), before, 1, noon, 2));
        id = add();
        QVERIFY(addLog(k, id, before, 1, evening, 2) && addLog(k, id, noon, 1, after, 2));
    }
}

// Saves a contact in the call dialog, then leaves it if it moved on.
void saveAndLeave(QWidget *callDialog)
{
    saveContact(callDialog);
    if (callDialog->isVisible())
        leaveCall(callDialog);
}
} // namespace

Q_DECLARE_METATYPE(ListFixtures::Person)

class TestTodayLists : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestWorkspace> workspace;
    std::unique_ptr<MessageRecorder> messages;
    Seconds noon = 0;

private slots:
    void init()
    {
        Clock::setFixedNow(QDateTime(QDate(2026, 3, 7), QTime(9, 5, 30)));
        noon = todayBeginTime() + 12 * 3600;
        workspace = std::make_unique<TestWorkspace>();
        messages = std::make_unique<MessageRecorder>();
        QVERIFY(workspace->openDatabase());
        appSettings.setRegion(QString());
    }

    void cleanup()
    {
        QCOMPARE(messages->unexpectedQuestions(), 0);
        messages.reset();
        workspace.reset();
        Clock::setFixedNow(QDateTime());
    }

    void quotaLessTodaysFirstContacts_data()
    {
        QTest::addColumn<Person>("person");
        QTest::addColumn<int>("quota");
        QTest::addColumn<int>("doneToday");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("warning");
        // Ten people are available each time.
        for (const Person person : {Person::Prospect, Person::Recruit}) {
            const bool p = person == Person::Prospect;
            const QString shortage = p ? "客户名单不足." : "增员名单不足.";
            const char *who = p ? "prospects" : "recruits";
            QTest::addRow("%s: quota reached, no warning", who)
                << person << 20 << 20 << 0 << QString();
            QTest::addRow("%s: short of people", who) << person << 20 << 3 << 10 << shortage;
            QTest::addRow("%s: enough people", who) << person << 5 << 2 << 3 << QString();
            QTest::addRow("%s: more done than the quota", who)
                << person << 2 << 5 << 0 << QString();
        }
    }

    void quotaLessTodaysFirstContacts()
    {
        QFETCH(Person, person);
        QFETCH(int, quota);
        QFETCH(int, doneToday);
        QFETCH(QString, warning);
        addPeople(person, 10);
        // First contacts of people already called (ids beyond the uncalled ones).
        for (int i = 0; i < doneToday; ++i)
            QVERIFY(addTrack(person, 1000 + i, noon, 1));
        // Neither later contacts today nor yesterday's first contacts use the quota.
        QVERIFY(addTrack(person, 2000, noon, 2));
        QVERIFY(addTrack(person, 2001, todayBeginTime() - 1, 1));
        // Already contacted and abandoned people are never offered.
        QVERIFY(addPerson(person, "X", 1, 1) > 0);
        QVERIFY(addPerson(person, "Y", 0) > 0);

        auto dialog = firstCallList(person, quota);
        QTEST(tableOf(dialog.get())->model()->rowCount(), "rows");
        QCOMPARE(messages->texts(), warning.isEmpty() ? QStringList() : QStringList{warning});
    }

    void regionNarrowsOnlyProspects_data()
    {
        QTest::addColumn<Person>("person");
        QTest::addColumn<QString>("region");
        QTest::addColumn<QStringList>("addresses");
        const QStringList all{"北京市海淀区", "上海", "O'Neil路", "50%路"};
        QTest::newRow("no region") << Person::Prospect << QString() << all;
        QTest::newRow("北京") << Person::Prospect << "北京" << QStringList{"北京市海淀区"};
        QTest::newRow("a quote") << Person::Prospect << "O'Neil" << QStringList{"O'Neil路"};
        QTest::newRow("a wildcard") << Person::Prospect << "%" << QStringList{"50%路"};
        QTest::newRow("recruits ignore it") << Person::Recruit << "北京" << all;
    }

    void regionNarrowsOnlyProspects()
    {
        QFETCH(Person, person);
        QFETCH(QString, region);
        for (const QString address : {"北京市海淀区", "上海", "O'Neil路", "50%路"})
            QVERIFY(addPerson(person, "人", 1, 0, address) > 0);
        appSettings.setRegion(region);

        auto dialog = firstCallList(person, 4);
        QTEST(columnTexts(tableOf(dialog.get()), ColumnHomeAddress), "addresses");
        // Only the shortage warning, never a failed statement.
        for (const QString &text : messages->texts())
            QVERIFY2(text.endsWith("名单不足."), qPrintable(text));
    }

    void appendingTwiceAddsTen_data()
    {
        QTest::addColumn<Person>("person");
        QTest::addColumn<QString>("button");
        QTest::newRow("prospects") << Person::Prospect << "pushButtonAdd";
        QTest::newRow("recruits") << Person::Recruit << "pushButtonAppend";
    }

    void appendingTwiceAddsTen()
    {
        QFETCH(Person, person);
        QFETCH(QString, button);
        addPeople(person, 20);
        {
            auto dialog = firstCallList(person, 2);
            QTableView *view = tableOf(dialog.get());
            QCOMPARE(view->model()->rowCount(), 2);
            for (const int expected : {7, 12}) {
                messages->answerNext(QMessageBox::Yes);
                press(dialog.get(), button);
                QCOMPARE(view->model()->rowCount(), expected);
            }
            messages->answerNext(QMessageBox::No);
            press(dialog.get(), button);
            QCOMPARE(view->model()->rowCount(), 12);
            QCOMPARE(messages->count(), 3);
        }
        // The extra lives only as long as that opening of the list.
        auto again = firstCallList(person, 2);
        QCOMPARE(tableOf(again.get())->model()->rowCount(), 2);
    }

    void callingTheLastOneAsksToAppend()
    {
        addPeople(Person::Prospect, 3);
        auto dialog = firstCallList(Person::Prospect, 1);
        QTableView *view = tableOf(dialog.get());
        QCOMPARE(view->model()->rowCount(), 1);

        onNextModal(saveAndLeave);
        messages->answerNext(QMessageBox::Yes);
        doubleClickRow(view, 0);
        // Five more asked for, two left to call.
        QCOMPARE(messages->texts(),
                 QStringList({"今日首次电话联系准客户已完成，需要追加准客户吗?", "客户名单不足."}));
        QCOMPARE(view->model()->rowCount(), 2);
        // The first contact is stored and keeps the quota of the day.
        QCOMPARE(queryValue("SELECT COUNT(*) FROM customers_contact_track WHERE contact_state = 1")
                     .toInt(),
                 1);
    }

    void followUpListReloadsOnlyAfterASave_data()
    {
        QTest::addColumn<Person>("person");
        QTest::addColumn<bool>("save");
        QTest::addColumn<int>("rowsAfter");
        QTest::newRow("prospect, returned") << Person::Prospect << false << 2;
        QTest::newRow("prospect, saved") << Person::Prospect << true << 3;
        QTest::newRow("recruit, returned") << Person::Recruit << false << 2;
        QTest::newRow("recruit, saved") << Person::Recruit << true << 3;
    }

    void followUpListReloadsOnlyAfterASave()
    {
        QFETCH(Person, person);
        QFETCH(bool, save);
        addPeople(person, 4);
        // Two people due by phone today, a visit and tomorrow's call not.
        QVERIFY(addLog(person, 1, noon - 86400, 1, noon, 1));
        QVERIFY(addLog(person, 2, noon - 86400, 1, todayEndTime(), 1));
        QVERIFY(addLog(person, 3, noon - 86400, 1, noon, 2));
        QVERIFY(addLog(person, 3, noon - 86400, 1, todayEndTime() + 1, 1));

        std::unique_ptr<QDialog> dialog;
        if (person == Person::Prospect)
            dialog = std::make_unique<TodaySubscribeCustomersDialog>(nullptr, 1);
        else
            dialog = std::make_unique<TodaySubscribeHelpersDialog>(nullptr, 1);
        QTableView *view = tableOf(dialog.get());
        QCOMPARE(view->model()->rowCount(), 2);

        // While the call runs, two more fall due: only a reload shows them, and
        // the saved call moves the one called to another day.
        bool ran = false;
        onNextModal([&](QWidget *call) {
            ran = true;
            addLog(person, 3, noon - 60, 1, noon, 1);
            addLog(person, 4, noon - 60, 1, noon, 1);
            save ? saveAndLeave(call) : leaveCall(call);
        });
        doubleClickRow(view, 0);
        QVERIFY(ran);
        QTEST(view->model()->rowCount(), "rowsAfter");
    }

    // Quotas of 5, one first call made: 4 left for 3 never-called people; the
    // region, where set, is 北京.
    void boardNumberIsItsListsRowCount_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("inRegion");
        QTest::addColumn<QString>("link");
        QTest::addColumn<int>("rows");
        QTest::newRow("first calls") << "FirstPhoneCustomerCount" << false << "label_6" << 3;
        QTest::newRow("in 北京") << "FirstPhoneCustomerCount" << true << "label_6" << 2;
        QTest::newRow("calls") << "PhoneCustomerCount" << true << "label" << 2;
        QTest::newRow("visits") << "VisitCustomerCount" << false << "label_2" << 1;
        QTest::newRow("recruits") << "FirstPhoneHelperCount" << true << "label_7" << 3;
        QTest::newRow("recruit calls") << "SubscribeHelperCount" << false << "label_3" << 2;
        QTest::newRow("recruit visits") << "VisitHelperCount" << false << "label_4" << 1;
        QTest::newRow("contacted") << "ContactedCount" << false << "label_5" << 4;
    }

    void boardNumberIsItsListsRowCount()
    {
        QFETCH(QString, number);
        QFETCH(bool, inRegion);
        QFETCH(QString, link);
        seedBusyDay(noon);
        appSettings.setCustomersCount(5);
        appSettings.setHelpersCount(5);
        appSettings.setRegion(inRegion ? QStringLiteral("北京") : QString());
        MainWindow window;
        const int shown = child<QLabel>(&window, "labelToday" + number)->text().toInt();
        int listed = -1;
        onNextModal([&](QWidget *list) {
            listed = tableOf(list)->model()->rowCount();
            list->close();
        });
        emit child<QLabel>(&window, link)->linkActivated(QString());
        QCOMPARE(listed, shown);
        QTEST(shown, "rows");
    }

    void contactedList_data()
    {
        QTest::addColumn<QDate>("begin");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("names");
        const QDate today(2026, 3, 7);
        QTest::newRow("two days") << today.addDays(-1) << today << QString()
                                  << QStringList{"张三", "李四", "张五"};
        QTest::newRow("begin after end")
            << today << today.addDays(-1) << QString() << QStringList();
        QTest::newRow("family name")
            << today.addDays(-1) << today << "张" << QStringList{"张三", "张五"};
        QTest::newRow("a quote") << today << today << "'" << QStringList();
        QTest::newRow("a blank is typed text") << today << today << " " << QStringList();
    }

    void contactedList()
    {
        QFETCH(QDate, begin);
        QFETCH(QDate, end);
        QFETCH(QString, name);
        for (const QString person : {"张三", "李四", "张五", "王六"})
            addPerson(Person::Prospect, person);
        QVERIFY(addLog(Person::Prospect, 1, noon, 1, noon + 86400, 1));
        QVERIFY(addLog(Person::Prospect, 1, noon + 60, 2, noon + 86400, 1));
        QVERIFY(addLog(Person::Prospect, 2, todayEndTime(), 2, noon + 86400, 2));
        QVERIFY(addLog(Person::Prospect, 3, noon - 86400, 1, noon, 1));

        ContactedCustomersDialog dialog(nullptr, todayBeginTime(), todayEndTime(), 0);
        QTableView *view = tableOf(&dialog);
        QCOMPARE(columnTexts(view, ColumnName), QStringList({"张三", "李四"}));

        child<QDateEdit>(&dialog, "dateEditBegin")->setDate(begin);
        child<QDateEdit>(&dialog, "dateEditEnd")->setDate(end);
        auto *nameEdit = child<QLineEdit>(&dialog, "lineEditName");
        nameEdit->setText(name);
        press(&dialog, "pushButtonSearch");
        QTEST(columnTexts(view, ColumnName), "names");
        QCOMPARE(dialog.focusWidget(), nameEdit);
        QCOMPARE(messages->count(), 0);
    }
};

CALLLEDGER_TEST_MAIN(TestTodayLists, QApplication)
#include "tst_todaylists.moc"
