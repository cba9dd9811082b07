#include "listfixtures.h"
#include "prospectfixtures.h"

#include "common/appsettings.h"
#include "app/mainwindow.h"
#include "app/systemsetdialog.h"
#include "calling/calendardialog.h"
#include "calling/contactedcustomersdialog.h"
#include "calling/todayfirstphonecustomersdialog.h"
#include "calling/todayfirstphonehelpersdialog.h"
#include "calling/todaysubscribecustomersdialog.h"
#include "calling/todaysubscribehelpersdialog.h"
#include "prospects/addcustomerdialog.h"
#include "prospects/addkinsfolkdialog.h"
#include "prospects/editcustomerdialog.h"
#include "prospects/uselesscustomersdialog.h"
#include "prospects/uselesshelpersdialog.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "team/addhelperdialog.h"
#include "team/helperdialog.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

using namespace Fixtures;
using namespace ListFixtures;

using DialogFactory = std::function<std::unique_ptr<QDialog>()>;
Q_DECLARE_METATYPE(DialogFactory)

namespace {
template <typename Dialog, typename... Args> DialogFactory make(Args... args)
{
    return [=] { return std::unique_ptr<QDialog>(new Dialog(args...)); };
}

void showActive(QWidget *dialog)
{
    dialog->show();
    QApplication::setActiveWindow(dialog);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
}

// The button Enter presses: the default one, or none.
QString defaultButton(QWidget *dialog)
{
    for (QPushButton *button : dialog->findChildren<QPushButton *>())
        if (button->isDefault())
            return button->objectName();
    return QString();
}
} // namespace

class TestKeyboardPath : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestWorkspace> workspace;
    std::unique_ptr<MessageRecorder> messages;

private slots:
    // The data functions build their ranges on the same fixed day.
    void initTestCase() { Clock::setFixedNow(QDateTime(QDate(2026, 3, 7), QTime(9, 5, 30))); }

    void init()
    {
        workspace = std::make_unique<TestWorkspace>();
        messages = std::make_unique<MessageRecorder>();
        QVERIFY(workspace->openDatabase());
        appSettings.setCustomersCount(5);
        appSettings.setHelpersCount(5);
        appSettings.setRegion(QString());
        // One active and one abandoned person of each kind, the active ones due today.
        const Seconds noon = todayBeginTime() + 12 * 3600;
        for (const Person person : {Person::Prospect, Person::Recruit}) {
            QVERIFY(addLog(person, addPerson(person, "张三"), noon, 1, noon, 1));
            QVERIFY(addPerson(person, "放弃", 0) > 0);
        }
    }

    void cleanup()
    {
        QCOMPARE(messages->unexpectedQuestions(), 0);
        messages.reset();
        workspace.reset();
    }

    void cleanupTestCase() { Clock::setFixedNow(QDateTime()); }

    void opensInTheFirstFieldWithTheRightDefault_data()
    {
        QTest::addColumn<DialogFactory>("factory");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("defaultButton");
        QTest::newRow("prospect entry")
            << make<AddCustomerDialog>(nullptr) << "lineEditName" << QString();
        QTest::newRow("relatives")
            << make<AddKinsfolkDialog>(1, nullptr) << "lineEditName" << QString();
        QTest::newRow("editing") << make<EditCustomerDialog>(1, nullptr) << "lineEditName"
                                 << QString();
        QTest::newRow("settings") << make<SystemSetDialog>(nullptr) << "lineEditRegion"
                                  << "pushButtonOk";
        QTest::newRow("recruit entry") << make<AddHelperDialog>(nullptr) << "lineEditName"
                                       << "pushButtonSave";
        QTest::newRow("recruit list") << make<HelperDialog>(nullptr) << "lineEditName"
                                      << "pushButtonSearch";
        QTest::newRow("contacted list")
            << make<ContactedCustomersDialog>(nullptr, todayBeginTime(), todayEndTime(), 0)
            << "lineEditName"
            << "pushButtonSearch";
        QTest::newRow("calendar") << make<CalendarDialog>(nullptr, todayBeginTime(), todayEndTime())
                                  << "dateEditBegin"
                                  << "pushButtonOk";
        QTest::newRow("abandoned prospects")
            << make<UselessCustomersDialog>(nullptr) << QString() << "pushButtonSearch";
        QTest::newRow("abandoned recruits")
            << make<UselessHelpersDialog>(nullptr) << QString() << "pushButtonSearch";
    }

    void opensInTheFirstFieldWithTheRightDefault()
    {
        QFETCH(DialogFactory, factory);
        QFETCH(QString, focus);
        QFETCH(QString, defaultButton);
        auto dialog = factory();
        showActive(dialog.get());
        if (!focus.isEmpty()) {
            QVERIFY(QApplication::focusWidget());
            QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        }
        QCOMPARE(::defaultButton(dialog.get()), defaultButton);
    }

    void enterInASearchFieldSearches_data()
    {
        QTest::addColumn<DialogFactory>("factory");
        QTest::newRow("recruit list") << make<HelperDialog>(nullptr);
        QTest::newRow("contacted list")
            << make<ContactedCustomersDialog>(nullptr, todayBeginTime(), todayEndTime(), 0);
        QTest::newRow("abandoned prospects") << make<UselessCustomersDialog>(nullptr);
        QTest::newRow("abandoned recruits") << make<UselessHelpersDialog>(nullptr);
    }

    void enterInASearchFieldSearches()
    {
        QFETCH(DialogFactory, factory);
        auto dialog = factory();
        showActive(dialog.get());
        QTableView *view = dialog->findChild<QTableView *>("tableView");
        QCOMPARE(view->model()->rowCount(), 1);
        auto *name = dialog->findChild<QLineEdit *>("lineEditName");
        name->setFocus();
        QTest::keyClicks(name, "X");
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(view->model()->rowCount(), 0);
        QVERIFY(dialog->isVisible());
    }

    void enterOnARowOpensTheCall_data()
    {
        QTest::addColumn<DialogFactory>("factory");
        QTest::addColumn<QString>("callDialog");
        QTest::newRow("first calls, prospects")
            << make<TodayFirstPhoneCustomersDialog>(nullptr) << "CallDialog";
        QTest::newRow("first calls, recruits")
            << make<TodayFirstPhoneHelpersDialog>(nullptr) << "CallHelperDialog";
        QTest::newRow("follow-ups, prospects")
            << make<TodaySubscribeCustomersDialog>(nullptr, 1) << "CallDialog";
        QTest::newRow("follow-ups, recruits")
            << make<TodaySubscribeHelpersDialog>(nullptr, 1) << "CallHelperDialog";
        QTest::newRow("contacted list")
            << make<ContactedCustomersDialog>(nullptr, todayBeginTime(), todayEndTime(), 0)
            << "CallDialog";
        QTest::newRow("recruit list") << make<HelperDialog>(nullptr) << "CallHelperDialog";
    }

    void enterOnARowOpensTheCall()
    {
        QFETCH(DialogFactory, factory);
        // The first-call lists only offer people never contacted.
        QVERIFY(execSql("UPDATE customers SET is_contact = 0"));
        auto dialog = factory();
        messages->clear();
        showActive(dialog.get());
        QTableView *view = dialog->findChild<QTableView *>("tableView");
        QVERIFY(view->model()->rowCount() > 0);
        view->setFocus();
        view->setCurrentIndex(view->model()->index(0, 1));

        QString opened;
        onNextModal([&](QWidget *call) {
            opened = QString::fromLatin1(call->metaObject()->className());
            leaveCall(call);
        });
        QTest::keyClick(view, Qt::Key_Return);
        QTEST(opened, "callDialog");
        QVERIFY(dialog->isVisible());
    }

    void entriesAndLinksOpenTheirLists_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("range");
        // A calendar's range is its first and last day.
        const QList<std::tuple<const char *, const char *, const char *, const char *>> rows{
            {"action_first_phone_customers", "label_6", "今日首次联系客户名单", ""},
            {"action_today_subscribe_customers", "label", "今日需再次电话联系准客户", ""},
            {"action_today_visit_customers", "label_2", "今日需约访准客户名单", ""},
            {"action_today_contacted_customers", "label_5", "已联系客户", ""},
            {"action_first_phone_helper", "label_7", "今日首次联系增员名单", ""},
            {"action_today_subscribe_helpers", "label_3", "今日需再次电话联系准增员", ""},
            {"action_today_visit_helpers", "label_4", "今日需约访准增员名单", ""},
            {"action_add_recruiting", nullptr, "添加准增员名单", ""},
            {"action_recruiting", nullptr, "准增员列表", ""},
            {"action_today_do_something", nullptr, "行事历", "2026-03-07 2026-03-07"},
            {"action_week_do_something", nullptr, "行事历", "2026-03-02 2026-03-08"},
            {"action_month_do_something", nullptr, "行事历", "2026-03-01 2026-03-31"},
        };
        for (const auto &[action, link, title, range] : rows) {
            QTest::newRow(action) << action << title << range;
            if (link)
                QTest::newRow(link) << link << title << range;
        }
    }

    void entriesAndLinksOpenTheirLists()
    {
        QFETCH(QString, entry);
        QFETCH(QString, range);
        MainWindow window;
        QString openedTitle;
        QString openedRange;
        onNextModal([&](QWidget *dialog) {
            openedTitle = dialog->windowTitle();
            QCOMPARE(dialog->parentWidget(), &window);
            if (auto *begin = dialog->findChild<QDateEdit *>("dateEditBegin"))
                openedRange =
                    begin->date().toString(Qt::ISODate) + " " +
                    dialog->findChild<QDateEdit *>("dateEditEnd")->date().toString(Qt::ISODate);
            qobject_cast<QDialog *>(dialog)->reject();
        });
        if (auto *label = window.findChild<QLabel *>(entry))
            emit label->linkActivated(QStringLiteral("http://any.example"));
        else
            window.findChild<QAction *>(entry)->trigger();
        QTEST(openedTitle, "title");
        if (!range.isEmpty())
            QCOMPARE(openedRange, range);
    }
};

CALLLEDGER_TEST_MAIN(TestKeyboardPath, QApplication)
#include "tst_keyboardpath.moc"
