#include "listfixtures.h"
#include "prospectfixtures.h"

#include "app/appsettings.h"
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
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTextEdit>

using namespace Fixtures;
using namespace ListFixtures;

namespace {
QTableView *tableOf(QWidget *dialog)
{
    return dialog->findChild<QTableView *>("tableView");
}

void press(QWidget *dialog, const QString &button)
{
    QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
}

std::unique_ptr<QDialog> firstCallList(Person person)
{
    if (person == Person::Prospect)
        return std::make_unique<TodayFirstPhoneCustomersDialog>();
    return std::make_unique<TodayFirstPhoneHelpersDialog>();
}

void addPeople(Person person, int count, const QString &address = QString())
{
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("人%1").arg(i);
        if (person == Person::Prospect)
            QVERIFY(insertProspect(prospect(name, 1, "1980-05-06", address)) > 0);
        else
            QVERIFY(insertRecruit(name, 1, address) > 0);
    }
}

void setQuota(Person person, int quota)
{
    if (person == Person::Prospect)
        appSettings.setCustomersCount(quota);
    else
        appSettings.setHelpersCount(quota);
}

// Records a contact through the open call dialog, the way an agent does;
// false when the dialog offers no contact form.
bool saveContactIn(QWidget *callDialog)
{
    auto *phone = callDialog->findChild<QRadioButton *>("radioButtonPhoneMode");
    auto *content = callDialog->findChild<QTextEdit *>("textEditPhoneContent");
    auto *nextCall = callDialog->findChild<QRadioButton *>("radioButtonNextPhoneTime");
    auto *save = callDialog->findChild<QPushButton *>("pushButtonSave");
    if (!phone || !content || !nextCall || !save) {
        leaveCall(callDialog);
        return false;
    }
    phone->setChecked(true);
    content->setPlainText("谈过了");
    nextCall->setChecked(true);
    QTest::mouseClick(save, Qt::LeftButton);
    if (callDialog->isVisible())
        leaveCall(callDialog);
    return true;
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
        QTest::addColumn<int>("available");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("warning");
        for (const Person person : {Person::Prospect, Person::Recruit}) {
            const bool p = person == Person::Prospect;
            const QString shortage = p ? "客户名单不足." : "增员名单不足.";
            const char *who = p ? "prospects" : "recruits";
            QTest::addRow("%s: quota reached, no warning", who)
                << person << 20 << 20 << 10 << 0 << QString();
            QTest::addRow("%s: short of people", who) << person << 20 << 3 << 10 << 10 << shortage;
            QTest::addRow("%s: enough people", who) << person << 5 << 2 << 10 << 3 << QString();
            QTest::addRow("%s: more done than the quota", who)
                << person << 2 << 5 << 10 << 0 << QString();
        }
    }

    void quotaLessTodaysFirstContacts()
    {
        QFETCH(Person, person);
        QFETCH(int, quota);
        QFETCH(int, doneToday);
        QFETCH(int, available);
        QFETCH(int, rows);
        QFETCH(QString, warning);

        setQuota(person, quota);
        addPeople(person, available);
        // First contacts of people already called (ids beyond the uncalled ones).
        for (int i = 0; i < doneToday; ++i)
            QVERIFY(addTrack(person, 1000 + i, noon, 1));
        // Neither later contacts today nor yesterday's first contacts use the quota.
        QVERIFY(addTrack(person, 2000, noon, 2));
        QVERIFY(addTrack(person, 2001, todayBeginTime() - 1, 1));
        // Already contacted and abandoned people are never offered.
        QVERIFY(execSql(QString("INSERT INTO %1(name, sex, birth_date, phone_number, is_contact, "
                                "user_type) VALUES ('X', 0, '1980-01-01', '1', 1, 1), "
                                "('Y', 0, '1980-01-01', '1', 0, 0)")
                            .arg(person == Person::Prospect ? "customers" : "helpers")));

        auto dialog = firstCallList(person);
        QCOMPARE(tableOf(dialog.get())->model()->rowCount(), rows);
        QCOMPARE(messages->texts(), warning.isEmpty() ? QStringList() : QStringList{warning});
        if (!warning.isEmpty())
            QCOMPARE(messages->last().title, QString("提示"));
    }

    void regionNarrowsOnlyProspects_data()
    {
        QTest::addColumn<Person>("person");
        QTest::addColumn<QString>("region");
        QTest::addColumn<QStringList>("addresses");
        QTest::newRow("no region") << Person::Prospect << QString()
                                   << QStringList{"北京市海淀区", "上海", "O'Neil路", "50%路"};
        QTest::newRow("北京") << Person::Prospect << "北京" << QStringList{"北京市海淀区"};
        QTest::newRow("a quote") << Person::Prospect << "O'Neil" << QStringList{"O'Neil路"};
        QTest::newRow("a wildcard") << Person::Prospect << "%" << QStringList{"50%路"};
        QTest::newRow("recruits ignore it")
            << Person::Recruit << "北京"
            << QStringList{"北京市海淀区", "上海", "O'Neil路", "50%路"};
    }

    void regionNarrowsOnlyProspects()
    {
        QFETCH(Person, person);
        QFETCH(QString, region);
        QFETCH(QStringList, addresses);
        int n = 0;
        for (const QString address : {"北京市海淀区", "上海", "O'Neil路", "50%路"}) {
            if (person == Person::Prospect)
                QVERIFY(insertProspect(
                            prospect(QString("客户%1").arg(++n), 1, "1980-05-06", address)) > 0);
            else
                QVERIFY(insertRecruit(QString("增员%1").arg(++n), 1, address) > 0);
        }
        setQuota(person, 4);
        appSettings.setRegion(region);

        auto dialog = firstCallList(person);
        QCOMPARE(columnTexts(tableOf(dialog.get()), ColumnHomeAddress), addresses);
        // Only the shortage warning, never a failed statement.
        for (const QString &text : messages->texts())
            QVERIFY2(text.endsWith("名单不足."), qPrintable(text));
    }

    void appendingTwiceAddsTen_data()
    {
        QTest::addColumn<Person>("person");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("question");
        QTest::newRow("prospects") << Person::Prospect << "pushButtonAdd"
                                   << "确认要追加5条今日联系的准客户吗?";
        QTest::newRow("recruits") << Person::Recruit << "pushButtonAppend"
                                  << "确认要追加5条今日联系的准增员吗?";
    }

    void appendingTwiceAddsTen()
    {
        QFETCH(Person, person);
        QFETCH(QString, button);
        QFETCH(QString, question);
        setQuota(person, 2);
        addPeople(person, 20);
        {
            auto dialog = firstCallList(person);
            QTableView *view = tableOf(dialog.get());
            QCOMPARE(view->model()->rowCount(), 2);
            for (const int expected : {7, 12}) {
                messages->answerNext(QMessageBox::Yes);
                press(dialog.get(), button);
                QCOMPARE(messages->last().text, question);
                QCOMPARE(view->model()->rowCount(), expected);
            }
            messages->answerNext(QMessageBox::No);
            press(dialog.get(), button);
            QCOMPARE(view->model()->rowCount(), 12);
        }
        // The extra lives only as long as that opening of the list.
        auto again = firstCallList(person);
        QCOMPARE(tableOf(again.get())->model()->rowCount(), 2);
    }

    void callingTheLastOneAsksToAppend_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("shown");
        const QString question = "今日首次电话联系准客户已完成，需要追加准客户吗?";
        QTest::newRow("No") << int(QMessageBox::No) << 0 << QStringList{question};
        // Five more asked for, two left to call.
        QTest::newRow("Yes") << int(QMessageBox::Yes) << 2
                             << QStringList{question, "客户名单不足."};
    }

    void callingTheLastOneAsksToAppend()
    {
        QFETCH(int, answer);
        QFETCH(int, rows);
        QFETCH(QStringList, shown);
        setQuota(Person::Prospect, 1);
        addPeople(Person::Prospect, 3);
        TodayFirstPhoneCustomersDialog dialog;
        QTableView *view = tableOf(&dialog);
        QCOMPARE(view->model()->rowCount(), 1);

        bool formFound = false;
        onNextModal([&](QWidget *call) { formFound = saveContactIn(call); });
        messages->answerNext(QMessageBox::StandardButton(answer));
        doubleClickRow(view, 0);
        QVERIFY(formFound);
        QCOMPARE(messages->texts(), shown);
        QCOMPARE(view->model()->rowCount(), rows);
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
        QFETCH(int, rowsAfter);
        addPeople(person, 3);
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

        // While the call runs, a third person falls due: only a reload shows him.
        bool ran = false;
        bool formFound = true;
        onNextModal([&](QWidget *call) {
            ran = true;
            addLog(person, 3, noon - 60, 1, noon, 1);
            if (save)
                formFound = saveContactIn(call);
            else
                leaveCall(call);
        });
        doubleClickRow(view, 0);
        QVERIFY(ran);
        QVERIFY2(formFound, "the call dialog offers no contact form");
        QCOMPARE(view->model()->rowCount(), rowsAfter);
    }

    void contactedList_data()
    {
        QTest::addColumn<QDate>("begin");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("names");
        const QDate today(2026, 3, 7);
        QTest::newRow("today") << today << today << QString() << QStringList{"张三", "李四"};
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
        QFETCH(QStringList, names);
        const int zhang = insertProspect(prospect("张三"));
        const int li = insertProspect(prospect("李四"));
        const int zhangWu = insertProspect(prospect("张五"));
        insertProspect(prospect("王六"));
        QVERIFY(addLog(Person::Prospect, zhang, noon, 1, noon + 86400, 1));
        QVERIFY(addLog(Person::Prospect, zhang, noon + 60, 2, noon + 86400, 1));
        QVERIFY(addLog(Person::Prospect, li, todayEndTime(), 2, noon + 86400, 2));
        QVERIFY(addLog(Person::Prospect, zhangWu, noon - 86400, 1, noon, 1));

        ContactedCustomersDialog dialog(nullptr, todayBeginTime(), todayEndTime(), 0);
        QCOMPARE(dialog.windowTitle(), QString("已联系客户"));
        QTableView *view = tableOf(&dialog);
        QCOMPARE(columnTexts(view, ColumnName), QStringList({"张三", "李四"}));

        dialog.findChild<QDateEdit *>("dateEditBegin")->setDate(begin);
        dialog.findChild<QDateEdit *>("dateEditEnd")->setDate(end);
        auto *nameEdit = dialog.findChild<QLineEdit *>("lineEditName");
        nameEdit->setText(name);
        press(&dialog, "pushButtonSearch");
        QCOMPARE(columnTexts(view, ColumnName), names);
        QVERIFY(view->isColumnHidden(ColumnUserType));
        QCOMPARE(dialog.focusWidget(), nameEdit);
        QCOMPARE(messages->count(), 0);
    }
};

CALLLEDGER_TEST_MAIN(TestTodayLists, QApplication)
#include "tst_todaylists.moc"
