#include "listfixtures.h"
#include "prospectfixtures.h"

#include "app/mainwindow.h"
#include "app/searchbox.h"
#include "calling/calendardialog.h"
#include "calling/todaysubscribecustomersdialog.h"
#include "store/database.h"
#include "store/schedulestore.h"
#include "store/searchstore.h"
#include "store/sidetables.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>

using namespace Fixtures;
using namespace ListFixtures;

namespace {
const QDateTime morning(QDate(2026, 3, 9), QTime(9, 0));

Seconds today(int hour, int minute = 0)
{
    return QDateTime(morning.date(), QTime(hour, minute)).toSecsSinceEpoch();
}

void setPersonsBuilt(bool built)
{
    QVERIFY(execSql(QString("UPDATE side_index_state SET done_through = %1 WHERE part LIKE "
                            "'persons%'")
                        .arg(built ? std::numeric_limits<qint64>::max() : 0)));
}
} // namespace

// The window's work that waits for no one: the board counted on a worker, the
// side tables of an older file built after the first paint, the search box's
// scans; and the calendar and lists the agent works from.
class TestBackgroundWork : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Clock::setFixedNow(morning);
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

    // Table | row | the dialog Enter or a double click opens, with the name.
    void calendarRowOpensTheCall_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<QString>("opened");
        QTest::newRow("prospect, double click") << "tableView" << false << "CallDialog 张三";
        QTest::newRow("recruit, Enter") << "tableViewHelper" << true << "CallHelperDialog 钱七";
    }
    void calendarRowOpensTheCall()
    {
        QFETCH(QString, view);
        QFETCH(bool, enter);
        QFETCH(QString, opened);
        // The recruits' half comes in the order of the times too.
        const int late = addPerson(Person::Recruit, "孙八");
        const int early = addPerson(Person::Recruit, "钱七");
        QVERIFY(addLog(Person::Recruit, late, today(8), 1, today(16), 2));
        QVERIFY(addLog(Person::Recruit, early, today(8), 1, today(10), 2));
        QVERIFY(addLog(Person::Prospect, addPerson(Person::Prospect, "张三"), today(8), 1,
                       today(11), 2));
        CalendarDialog dialog(nullptr, todayBeginTime(), todayEndTime());
        auto *table = child<QTableView>(&dialog, view);
        QString shown;
        onNextModal([&](QWidget *modal) {
            shown = QString(modal->metaObject()->className()) + " " +
                    child<QLineEdit>(modal, "lineEditName")->text();
            leaveCall(modal);
        });
        if (enter) {
            table->setCurrentIndex(table->model()->index(0, 1));
            QTest::keyClick(table, Qt::Key_Return);
        } else {
            doubleClickRow(table, 0);
        }
        QCOMPARE(shown, opened);
    }

    void ctrlEndFetchesEveryRow()
    {
        const int first = insertNumberedProspects(700, 1);
        QVERIFY(execSql(QString("INSERT INTO customers_tel_logs(customer_id, add_time, "
                                "contact_type, content, next_contact_time, next_contact_type) "
                                "SELECT id, %1, 1, 'x', %2 + id, 2 FROM customers")
                            .arg(today(8))
                            .arg(today(12))));
        CalendarDialog dialog(nullptr, todayBeginTime(), todayEndTime());
        auto *table = child<QTableView>(&dialog, "tableView");
        QVERIFY(table->model()->rowCount() < 700);
        table->setFocus();
        QTest::keyClick(table, Qt::Key_End, Qt::ControlModifier);
        QTRY_COMPARE(table->currentIndex().row(), 699);
        QCOMPARE(table->model()->index(699, 3).data().toInt(), first + 699);
    }

    void followUpListShowsThePromisedTime()
    {
        QVERIFY(addLog(Person::Prospect, addPerson(Person::Prospect, "张三"), today(8), 1,
                       today(15, 30), 1));
        TodaySubscribeCustomersDialog dialog(nullptr, 1);
        auto *table = child<QTableView>(&dialog, "tableView");
        const QModelIndex promised = table->model()->index(0, ColumnPromisedTime);
        auto *delegate = qobject_cast<QStyledItemDelegate *>(table->itemDelegateForIndex(promised));
        QVERIFY(delegate && !table->isColumnHidden(ColumnPromisedTime));
        QCOMPARE(delegate->displayText(promised.data(), QLocale()), QString("15:30"));
    }

    // While the side tables are not built the board counts on its worker and
    // keeps its numbers until the counts arrive; then on the window's thread.
    void boardCountsOnTheWorkerUntilBuilt()
    {
        setPersonsBuilt(false);
        MainWindow window;
        auto *calls = child<QLabel>(&window, "labelTodayPhoneCustomerCount");
        QTRY_COMPARE(calls->text(), QString("0"));
        QVERIFY(addLog(Person::Prospect, addPerson(Person::Prospect, "张三"), today(8), 1,
                       today(15), 1));
        window.TimerProc();
        QCOMPARE(calls->text(), QString("0"));
        QTRY_COMPARE(calls->text(), QString("1"));
        SideBuildProgress progress;
        while (buildSideTablesStep(QSqlDatabase::database(), &progress))
            ;
        QVERIFY(progress.finished);
        QVERIFY(addLog(Person::Prospect, addPerson(Person::Prospect, "李四"), today(8), 1,
                       today(16), 1));
        window.TimerProc();
        QCOMPARE(calls->text(), QString("2"));
    }

    // A file from before the side tables: the window shows at once and builds
    // them after its first paint, the progress in the status bar.
    void olderFileIsBuiltAfterTheFirstPaint()
    {
        for (int i = 0; i < 30; ++i)
            QVERIFY(addLog(Person::Prospect, addPerson(Person::Prospect, "张三"), today(8), 1,
                           today(15), 1));
        // Its triggers gone, the parts start again from nothing.
        QSqlQuery triggers("SELECT name FROM sqlite_master WHERE name LIKE 'trg_side_%'");
        QStringList names;
        while (triggers.next())
            names << triggers.value(0).toString();
        for (const QString &name : names)
            QVERIFY(execSql("DROP TRIGGER " + name));
        QSqlDatabase db = QSqlDatabase::database();
        QVERIFY(execSql("BEGIN") && prepareSideTables(db, 0) && execSql("COMMIT"));
        QCOMPARE(queryValue("SELECT count(*) FROM contact_due").toInt(), 0);
        MainWindow window;
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(!sideTablesPending(), 20000);
        QTRY_VERIFY(child<QLabel>(&window, "labelSideTables")->isHidden());
        QTRY_COMPARE(child<QLabel>(&window, "labelTodayPhoneCustomerCount")->text(), QString("30"));
        QCOMPARE(queryValue("SELECT count(*) FROM contact_due").toInt(), 30);
    }

    // Two digits inside numbers are a scan: it runs on a thread and shows
    // what the last text finds, whatever came before it.
    void searchBoxScansOnItsThread()
    {
        addPerson(Person::Prospect, "张三");
        QVERIFY(execSql("UPDATE customers SET phone_number = '13912345678'"));
        MainWindow window;
        window.show();
        auto *box = child<SearchBox>(&window, "lineEditSearch");
        QVERIFY(searchNeedsScan("45"));
        QTest::keyClicks(box, "99");
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, "45");
        QTRY_VERIFY(box->resultList()->isVisible());
        QCOMPARE(box->resultList()->rowCount(), 1);
        QCOMPARE(box->resultList()->item(0, 1)->text(), QString("张三"));
    }

private:
    std::unique_ptr<TestWorkspace> workspace;
    std::unique_ptr<MessageRecorder> messages;
};

CALLLEDGER_TEST_MAIN(TestBackgroundWork, QApplication)
#include "tst_backgroundwork.moc"
