#include "listfixtures.h"
#include "telhandler.h"

#include "app/mainwindow.h"
#include "app/searchbox.h"
#include "app/systemsetdialog.h"
#include "calling/calldialog.h"
#include "calling/callhelperdialog.h"
#include "common/appsettings.h"
#include "common/calltools.h"
#include "store/customerstore.h"
#include "store/database.h"
#include "store/diallink.h"
#include "store/helperstore.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "team/helperdialog.h"
#include "team/teammatedialog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>

using namespace ListFixtures;

// Takes the links the program opens, as a desktop handler would.
class LinkCatcher : public QObject
{
    Q_OBJECT
public:
    QStringList links;
public slots:
    void open(const QUrl &url) { links.append(url.toString()); }
};

namespace {
const QDateTime monday(QDate(2026, 12, 7), QTime(9, 30));

int personWith(Person person, const QString &name, const QString &phone, int userType = 1)
{
    const int id = addPerson(person, name, userType);
    execSql(QStringLiteral("UPDATE %1 SET phone_number = '%2' WHERE id = %3")
                .arg(table(person), phone)
                .arg(id));
    return id;
}

std::unique_ptr<QDialog> openCall(Person person, QObject *owner)
{
    QSqlQueryModel *model =
        person == Person::Prospect
            ? static_cast<QSqlQueryModel *>(loadCustomersModel(owner, "user_type = 1", 0, 0))
            : loadHelpersModel(owner, "user_type = 1");
    std::unique_ptr<QDialog> dialog;
    if (person == Person::Prospect)
        dialog = std::make_unique<CallDialog>(model, model->index(0, 0));
    else
        dialog = std::make_unique<CallHelperDialog>(model, model->index(0, 0));
    dialog->show();
    // Shortcuts reach the active window only.
    QApplication::setActiveWindow(dialog.get());
    if (!QTest::qWaitForWindowActive(dialog.get()))
        qWarning("the call dialog never became active");
    return dialog;
}

void chooseOutcome(QWidget *dialog, const QString &outcome)
{
    auto *box = child<QComboBox>(dialog, "comboBoxOutcome");
    box->setCurrentIndex(box->findText(outcome));
}
} // namespace

Q_DECLARE_METATYPE(Person)

class TestCallTools : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        workspace = std::make_unique<TestWorkspace>();
        QVERIFY(workspace->openDatabase());
        Clock::setFixedNow(monday);
        messages = std::make_unique<MessageRecorder>();
        for (const char *scheme : {"tel", "sip", "callto"})
            QDesktopServices::setUrlHandler(scheme, &catcher, "open");
        catcher.links.clear();
        handler = std::make_unique<TelHandler>();
    }
    void cleanup()
    {
        QCOMPARE(messages->unexpectedQuestions(), 0);
        for (const char *scheme : {"tel", "sip", "callto"})
            QDesktopServices::unsetUrlHandler(scheme);
        owner = std::make_unique<QObject>();
        messages.reset();
        Clock::setFixedNow(QDateTime());
        workspace.reset();
    }

    void quickTimes_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QList<QDateTime>>("expected"); // +1h, 14:00, tomorrow, next Monday
        const QDate fri(2026, 12, 11), sun(2026, 12, 13), mon(2026, 12, 14);
        QTest::newRow("Friday morning")
            << QDateTime(fri, QTime(10, 20, 40))
            << QList<QDateTime>{
                   {fri, {11, 20}}, {fri, {14, 0}}, {fri.addDays(1), {9, 0}}, {mon, {9, 0}}};
        QTest::newRow("Sunday afternoon")
            << QDateTime(sun, QTime(15, 0))
            << QList<QDateTime>{{sun, {16, 0}}, QDateTime(), {mon, {9, 0}}, {mon, {9, 0}}};
        QTest::newRow("Monday 23:30") << QDateTime(mon, QTime(23, 30))
                                      << QList<QDateTime>{{mon.addDays(1), {0, 30}},
                                                          QDateTime(),
                                                          {mon.addDays(1), {9, 0}},
                                                          {mon.addDays(7), {9, 0}}};
    }
    void quickTimes()
    {
        QFETCH(QDateTime, now);
        QFETCH(QList<QDateTime>, expected);
        Clock::setFixedNow(now);
        addPerson(Person::Prospect, "张三");
        auto dialog = openCall(Person::Prospect, owner.get());
        QCOMPARE(child<QDateTimeEdit>(dialog.get(), "dateTimeEditNextCall")->dateTime(),
                 expected.at(2));
        for (int which = 0; which < 4; ++which) {
            auto *button =
                child<QToolButton>(dialog.get(), "toolButtonVisitQuick" + QString::number(which));
            QCOMPARE(button->isEnabled(), expected.at(which).isValid());
            button->click();
            if (expected.at(which).isValid())
                QCOMPARE(child<QDateTimeEdit>(dialog.get(), "dateTimeEditNextVisit")->dateTime(),
                         expected.at(which));
        }
        QCOMPARE(child<QRadioButton>(dialog.get(), "radioButtonNextVisitTime")->isChecked(), true);
    }

    void dialLinks_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("link"); // empty: the button is disabled
        QTest::newRow("spaces") << "tel:{number}"
                                << "138 0013 8000"
                                << "tel:13800138000";
        QTest::newRow("hyphens, brackets") << "tel:{number}"
                                           << "(010) 6552-1234"
                                           << "tel:01065521234";
        QTest::newRow("+86") << "tel:{number}"
                             << "+86 138-0013-8000"
                             << "tel:+8613800138000";
        QTest::newRow("full width") << "tel:{number}"
                                    << "１３８００１３８０００"
                                    << "tel:13800138000";
        QTest::newRow("letters between") << "callto:{number}"
                                         << "ext abc 12x3"
                                         << "callto:123";
        QTest::newRow("letters only") << "tel:{number}"
                                      << "abc"
                                      << "";
        QTest::newRow("empty") << "tel:{number}"
                               << ""
                               << "";
        QTest::newRow("sip") << "sip:{number}@pbx.example.com"
                             << "＋86 138"
                             << "sip:+86138@pbx.example.com";
    }
    void dialLinks()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, phone);
        QFETCH(QString, link);
        appSettings.setDialTemplate(pattern);
        personWith(Person::Recruit, "张三", phone);
        auto dialog = openCall(Person::Recruit, owner.get());
        auto *dial = child<QPushButton>(dialog.get(), "pushButtonDial");
        QCOMPARE(dial->isEnabled(), !link.isEmpty());
        QTest::keyClick(dialog.get(), Qt::Key_D, Qt::ControlModifier);
        QTRY_COMPARE(catcher.links, link.isEmpty() ? QStringList() : QStringList{link});
        // Dialling starts the talk timer.
        QCOMPARE(child<QPushButton>(dialog.get(), "pushButtonTalkTimer")->text(),
                 link.isEmpty() ? "开始计时" : "停止计时");
    }

    void templateCheck_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("usable");
        QTest::newRow("tel") << "tel:{number}" << true;
        QTest::newRow("sip with host") << "SIP:{number}@pbx.example.com" << true;
        QTest::newRow("no placeholder") << "tel:13800138000" << false;
        QTest::newRow("unknown scheme") << "ftp:{number}" << false;
        QTest::newRow("no scheme") << "{number}" << false;
        QTest::newRow("201 characters") << "sip:{number}@" + QString(188, 'a') << false;
        QTest::newRow("blank in the link") << "callto:{number} x" << false;
    }
    void templateCheck()
    {
        QFETCH(QString, pattern);
        QFETCH(bool, usable);
        SystemSetDialog dialog;
        child<QLineEdit>(&dialog, "lineEditDialTemplate")->setText(pattern);
        press(&dialog, "pushButtonOk");
        QCOMPARE(dialog.result() == QDialog::Accepted, usable);
        QCOMPARE(appSettings.dialTemplate() == pattern.trimmed(), usable);
        QCOMPARE(messages->count(), usable ? 0 : 1);
        messages->clear();
    }

    // Offscreen, Qt itself cannot open links: the failure the agent sees
    // when the desktop cannot, and the same without any handler.
    void failedDialNamesLinkAndCopiesNumber_data()
    {
        QTest::addColumn<bool>("handlerRegistered");
        QTest::newRow("opening fails") << true;
        QTest::newRow("no handler") << false;
    }
    void failedDialNamesLinkAndCopiesNumber()
    {
        QFETCH(bool, handlerRegistered);
        handler = std::make_unique<TelHandler>(handlerRegistered);
        QDesktopServices::unsetUrlHandler("tel");
        personWith(Person::Prospect, "张三", "+86 138 0013 8000");
        auto dialog = openCall(Person::Prospect, owner.get());
        press(dialog.get(), "pushButtonDial");
        QCOMPARE(messages->count(), 1);
        QVERIFY(messages->last().text.contains("tel:+8613800138000"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("+8613800138000"));
        QCOMPARE(child<QPushButton>(dialog.get(), "pushButtonTalkTimer")->text(), "开始计时");
        messages->clear();
    }

    void outcomeStoredWithLog_data()
    {
        QTest::addColumn<Person>("person");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<bool>("withoutDescription"); // saved with an empty description
        QTest::addColumn<bool>("abandon");            // answer to the offer
        QTest::newRow("未接通") << Person::Prospect << "未接通" << true << false;
        QTest::newRow("拒接/挂断, recruit") << Person::Recruit << "拒接/挂断" << true << false;
        QTest::newRow("空号/错号, kept") << Person::Prospect << "空号/错号" << true << false;
        QTest::newRow("空号/错号, abandoned") << Person::Recruit << "空号/错号" << true << true;
        QTest::newRow("有意向") << Person::Prospect << "有意向" << false << false;
        QTest::newRow("成交, recruit") << Person::Recruit << "成交" << false << false;
        QTest::newRow("an added one") << Person::Prospect << "已发短信" << false << false;
    }
    void outcomeStoredWithLog()
    {
        QFETCH(Person, person);
        QFETCH(QString, outcome);
        QFETCH(bool, withoutDescription);
        QFETCH(bool, abandon);
        appSettings.setExtraOutcomes({"已发短信", "未接通"});
        const int id = addPerson(person, "张三");
        addPerson(person, "李四");
        auto dialog = openCall(person, owner.get());
        chooseOutcome(dialog.get(), outcome);
        if (outcomeOffersAbandon(outcome))
            messages->answerNext(abandon ? QMessageBox::Yes : QMessageBox::No);
        saveContact(dialog.get(), "", "radioButtonNextPhoneTime");
        if (!withoutDescription) {
            QCOMPARE(messages->texts(), QStringList{"请输入电话内容."});
            messages->clear();
            saveContact(dialog.get(), "谈过", "radioButtonNextPhoneTime");
        }
        const int kind = person == Person::Prospect ? 1 : 2;
        QCOMPARE(queryValue(QString("SELECT o.outcome FROM %1 l JOIN contact_outcomes o ON "
                                    "o.kind = %2 AND o.log_id = l.id WHERE l.%3 = %4")
                                .arg(table(person, "_tel_logs"))
                                .arg(kind)
                                .arg(idColumn(person))
                                .arg(id))
                     .toString(),
                 outcome);
        if (outcomeOffersAbandon(outcome)) {
            QCOMPARE(messages->count(), 1);
            QCOMPARE(messages->last().defaultButton, QMessageBox::No);
            messages->clear();
        }
        QCOMPARE(
            queryValue(QString("SELECT user_type FROM %1 WHERE id = %2").arg(table(person)).arg(id))
                .toInt(),
            abandon ? 0 : 1);
        // The outcome is chosen afresh for the next person.
        QCOMPARE(child<QComboBox>(dialog.get(), "comboBoxOutcome")->currentText(), QString());
    }

    void durationStoredInLogTransaction_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::newRow("a call") << qint64(150);
        QTest::newRow("clock fault") << maxTalkSeconds + 1;
    }
    void durationStoredInLogTransaction()
    {
        QFETCH(qint64, seconds);
        const int id = addPerson(Person::Prospect, "张三");
        const bool stored = recordCustomerContact(id, 1, "谈过", 0, 1, nowTime(), 1,
                                                  CallDetails{seconds, "有意向"});
        QCOMPARE(stored, seconds <= maxTalkSeconds);
        QCOMPARE(queryValue("SELECT count(*) FROM customers_tel_logs").toInt(), stored ? 1 : 0);
        QCOMPARE(queryValue("SELECT count(*) FROM customers_contact_track").toInt(),
                 stored ? 1 : 0);
        QCOMPARE(queryValue("SELECT count(*) FROM contact_outcomes").toInt(), stored ? 1 : 0);
        QCOMPARE(queryValue("SELECT d.seconds FROM contact_durations d JOIN customers_tel_logs l "
                            "ON d.kind = 1 AND d.log_id = l.id")
                     .toLongLong(),
                 stored ? seconds : 0);
        QCOMPARE(messages->count(), stored ? 0 : 1);
        messages->clear();
    }

    void timerAcrossMidnight()
    {
        Clock::setFixedNow(QDateTime(QDate(2026, 12, 7), QTime(23, 59)));
        addPerson(Person::Prospect, "张三");
        addPerson(Person::Prospect, "李四");
        auto dialog = openCall(Person::Prospect, owner.get());
        QTest::keyClick(dialog.get(), Qt::Key_F9);
        Clock::setFixedNow(QDateTime(QDate(2026, 12, 8), QTime(0, 1, 30)));
        QTRY_COMPARE(child<QLabel>(dialog.get(), "labelTalkTime")->text(), QString("02:30"));
        saveContact(dialog.get());
        QCOMPARE(queryValue("SELECT seconds FROM contact_durations").toInt(), 150);
        // The next person starts without a timer; their history shows the talk time.
        QCOMPARE(child<QLabel>(dialog.get(), "labelTalkTime")->text(), QString("00:00"));
        press(dialog.get(), "pushButtonToFirst");
        auto *history = child<QTableView>(dialog.get(), "tableViewPhoneLogs");
        QCOMPARE(history->model()->index(0, 7).data().toString(), QString("2:30"));
        QCOMPARE(history->model()->headerData(7, Qt::Horizontal).toString(), QString("通话时长"));
    }

    void listsDialTheirRow()
    {
        personWith(Person::Recruit, "张三", "139-0000-0001");
        HelperDialog list;
        auto *view = child<QTableView>(&list, "tableView");
        view->setCurrentIndex(view->model()->index(0, 1));
        child<QAction>(view, "actionDial")->trigger();
        QCOMPARE(catcher.links, QStringList{"tel:13900000001"});
    }

    void searchBoxFindsAndOpens_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QString>("opened"); // class of the window Enter opens
        QTest::newRow("decoded name")
            << "张" << QStringList{"准客户 张三", "准增员 张四"} << "CallDialog";
        QTest::newRow("part with spaces")
            << "001 38" << QStringList{"准客户 张三", "准增员 张四", "团队成员 李五"}
            << "CallDialog";
        QTest::newRow("+86") << "+86 138 0013 8001" << QStringList{"准增员 张四"}
                             << "CallHelperDialog";
        QTest::newRow("member") << "李五" << QStringList{"团队成员 李五"} << "TeammateDialog";
    }
    void searchBoxFindsAndOpens()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        QFETCH(QString, opened);
        personWith(Person::Prospect, "张三", "138 0013 8000");
        personWith(Person::Recruit, "张四", "13800138001");
        personWith(Person::Recruit, "李五", "139-0013-8002", 2);
        addPerson(Person::Prospect, "张放弃", 0);
        MainWindow window;
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
        auto *box = child<SearchBox>(&window, "lineEditSearch");
        QVERIFY(box->hasFocus());
        box->setText(typed);
        box->searchNow();
        QStringList shown;
        for (int row = 0; row < box->resultList()->rowCount(); ++row)
            shown << box->resultList()->item(row, 0)->text() + " " +
                         box->resultList()->item(row, 1)->text();
        QCOMPARE(shown, found);
        QString openedClass, openedName;
        onNextModal([&](QWidget *modal) {
            openedClass = modal->metaObject()->className();
            if (auto *name = modal->findChild<QLineEdit *>("lineEditName"))
                openedName = name->text();
            modal->close();
        });
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(openedClass, opened);
        if (opened != "TeammateDialog")
            QCOMPARE(openedName, found.first().section(' ', 1));
    }

    void paceFollowsSavesAndOtherConnections()
    {
        appSettings.setCustomersCount(20);
        const int id = addPerson(Person::Prospect, "张三");
        MainWindow window;
        auto *bar = child<QProgressBar>(&window, "progressBarFirstCustomers");
        QCOMPARE(bar->text(), QString("今日首次联系 0 / 20"));
        QVERIFY(recordCustomerContact(id, 1, "谈过", 0, 1, nowTime(), 1, CallDetails{65, {}}));
        window.TimerProc();
        QCOMPARE(bar->text(), QString("今日首次联系 1 / 20"));
        QCOMPARE(child<QLabel>(&window, "labelTalkCustomers")->text(), QString("0:01:05"));
        {
            QSqlDatabase other = openDatabaseConnection("pace-writer");
            QSqlQuery write(other);
            QVERIFY(write.exec("INSERT INTO helpers_tel_logs(helper_id, add_time, contact_type, "
                               "content, next_contact_time, next_contact_type) VALUES (1, " +
                               QString::number(nowTime()) + ", 1, 'x', 0, 1)"));
            QVERIFY(write.exec("INSERT INTO contact_durations VALUES (2, " +
                               write.lastInsertId().toString() + ", 3600)"));
        }
        removeDatabaseConnection("pace-writer");
        window.TimerProc();
        QCOMPARE(child<QLabel>(&window, "labelTalkHelpers")->text(), QString("1:00:00"));
    }

private:
    std::unique_ptr<TestWorkspace> workspace;
    std::unique_ptr<MessageRecorder> messages;
    std::unique_ptr<QObject> owner = std::make_unique<QObject>();
    std::unique_ptr<TelHandler> handler;
    LinkCatcher catcher;
};

CALLLEDGER_TEST_MAIN(TestCallTools, QApplication)
#include "tst_calltools.moc"
