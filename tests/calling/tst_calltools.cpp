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
#include "store/helperstore.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QSqlQuery>
#include <QtWidgets>

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
int personWith(Person person, const QString &name, const QString &phone, int userType = 1)
{
    const int id = addPerson(person, name, userType);
    execSql("UPDATE " + table(person) + " SET phone_number = '" + phone +
            "' WHERE id = " + QString::number(id));
    return id;
}

std::unique_ptr<QDialog> openCall(Person person, QObject *owner)
{
    const bool prospect = person == Person::Prospect;
    QSqlQueryModel *model =
        prospect ? static_cast<QSqlQueryModel *>(loadCustomersModel(owner, "user_type = 1", 0, 0))
                 : loadHelpersModel(owner, "user_type = 1");
    std::unique_ptr<QDialog> dialog(
        prospect ? static_cast<QDialog *>(new CallDialog(model, model->index(0, 0)))
                 : new CallHelperDialog(model, model->index(0, 0)));
    dialog->show();
    QApplication::setActiveWindow(dialog.get()); // shortcuts reach the active window only
    return dialog;
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
        Clock::setFixedNow(QDateTime(QDate(2026, 12, 7), QTime(9, 30)));
        messages = std::make_unique<MessageRecorder>();
        for (const char *scheme : {"tel", "sip", "callto"})
            QDesktopServices::setUrlHandler(scheme, &catcher, "open");
        catcher.links.clear();
        handler = std::make_unique<TelHandler>();
    }
    void cleanup()
    {
        QCOMPARE(messages->unexpectedQuestions(), 0);
        QCOMPARE(messages->texts(), QStringList());
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
        // The call's start, then +1小时, 今天下午 14:00, 明天 9:00, 下周一 9:00 ("-": disabled).
        QTest::addColumn<QString>("expected");
        QTest::newRow("Friday") << QDateTime({2026, 12, 11}, {10, 20, 40})
                                << "12-12 09:00 12-11 11:20 12-11 14:00 12-12 09:00 12-14 09:00";
        QTest::newRow("Sunday") << QDateTime({2026, 12, 13}, {15, 0})
                                << "12-14 09:00 12-13 16:00 - 12-14 09:00 12-14 09:00";
        QTest::newRow("23:30") << QDateTime({2026, 12, 14}, {23, 30})
                               << "12-15 09:00 12-15 00:30 - 12-15 09:00 12-21 09:00";
    }
    void quickTimes()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, expected);
        Clock::setFixedNow(now);
        addPerson(Person::Prospect, "张三");
        auto dialog = openCall(Person::Prospect, owner.get());
        const auto shown = [&](const char *edit) {
            return child<QDateTimeEdit>(dialog.get(), edit)->dateTime().toString("MM-dd hh:mm");
        };
        QStringList times{shown("dateTimeEditNextCall")};
        for (int which = 0; which < 4; ++which) {
            auto *button =
                child<QToolButton>(dialog.get(), "toolButtonVisitQuick" + QString::number(which));
            button->click();
            times << (button->isEnabled() ? shown("dateTimeEditNextVisit") : "-");
        }
        QCOMPARE(times.join(' '), expected);
        QVERIFY(child<QRadioButton>(dialog.get(), "radioButtonNextVisitTime")->isChecked());
    }

    // Pattern | stored | link handed over (none: disabled) | number chosen of several | box.
    void dialLinks_data()
    {
        QTest::addColumn<QString>("row");
        QTest::newRow("spaces") << "tel:{number}|138 0013 8000|tel:13800138000";
        QTest::newRow("hyphens") << "tel:{number}|(010) 6552-1234|tel:01065521234";
        QTest::newRow("+86") << "tel:{number}|+86 138-0013-8000|tel:+8613800138000";
        QTest::newRow("0086") << "tel:{number}|0086 13900002222|tel:+8613900002222";
        QTest::newRow("full width") << "tel:{number}|１３８００１３８０００|tel:13800138000";
        QTest::newRow("note after") << "tel:{number}|13955556666(晚上8点后)|tel:13955556666";
        QTest::newRow("two, slash")
            << "tel:{number}|13911112222/13933334444|tel:13933334444|13933334444";
        QTest::newRow("letters") << "callto:{number}|ext abc 12x3|";
        QTest::newRow("commands") << "tel:{number}|138;touch /tmp/x;0001|";
        QTest::newRow("shell") << "tel:{number}|$(touch /tmp/x)13800000002|";
        QTest::newRow("query") << "tel:{number}|+86 138 0000 0007?x=1#y|";
        QTest::newRow("21 digits") << "tel:{number}|" + QString(21, '1') + "|";
        QTest::newRow("letters only") << "tel:{number}|abc|";
        QTest::newRow("empty") << "tel:{number}||";
        QTest::newRow("sip") << "sip:{number}@pbx.example.com|＋86 138|sip:+86138@pbx.example.com";
        QTest::newRow("edited to file:") << "file:///{number}|13800138000|||拨号方式无效";
        QTest::newRow("encoded newline") << "tel:{number}%0a--help|13800138000|||拨号方式无效";
    }
    void dialLinks()
    {
        QFETCH(QString, row);
        const QStringList cells = (row + "||").split('|');
        appSettings.setDialTemplate(cells[0]);
        personWith(Person::Recruit, "张三", cells[1]);
        auto dialog = openCall(Person::Recruit, owner.get());
        auto *dial = child<QPushButton>(dialog.get(), "pushButtonDial");
        const bool dialable = !cells[2].isEmpty() || !cells[4].isEmpty();
        QCOMPARE(dial->isEnabled(), dialable);
        QCOMPARE(dial->toolTip() == "号码格式不正确, 请先修改", !dialable && !cells[1].isEmpty());
        QTimer choose; // picks the row's number from the menu of several
        connect(&choose, &QTimer::timeout, [&] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget()))
                menu->setActiveAction(menu->findChild<QAction *>(cells[3])),
                    QTest::keyClick(menu, Qt::Key_Return);
        });
        choose.start(50);
        QTest::keyClick(dialog.get(), Qt::Key_D, Qt::ControlModifier);
        QTRY_COMPARE(catcher.links.join(""), cells[2]);
        QTRY_COMPARE(messages->texts().join("").contains(cells[4]), true);
        messages->clear();
        QCOMPARE(child<QPushButton>(dialog.get(), "pushButtonTalkTimer")->text(),
                 cells[2].isEmpty() ? "开始计时" : "停止计时"); // dialling starts the timer
    }

    void templateCheck_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("usable");
        QTest::newRow("tel") << "tel:{number}" << true;
        QTest::newRow("sip with host") << "SIP:{number}@pbx.example.com" << true;
        QTest::newRow("no placeholder") << "tel:13800138000" << false;
        QTest::newRow("unknown scheme") << "ftp:{number}" << false;
        QTest::newRow("201 characters") << "sip:{number}@" + QString(188, 'a') << false;
        QTest::newRow("blank in the link") << "callto:{number} x" << false;
        QTest::newRow("encoded control") << "tel:{number}%0a--help" << false;
        QTest::newRow("encoded blank") << "tel:{number}%20-x" << false;
    }
    void templateCheck()
    {
        QFETCH(QString, pattern);
        QFETCH(bool, usable);
        SystemSetDialog dialog;
        child<QLineEdit>(&dialog, "lineEditDialTemplate")->setText(pattern);
        press(&dialog, "pushButtonOk");
        QCOMPARE(dialog.result() == QDialog::Accepted, usable);
        QCOMPARE(appSettings.dialTemplate() == pattern, usable);
        QCOMPARE(messages->count(), usable ? 0 : 1);
        messages->clear();
    }

    // Offscreen, Qt cannot open links: as when the desktop cannot, or has no handler.
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
        QTest::newRow("an added one") << Person::Prospect << "已发短信" << false << false;
    }
    void outcomeStoredWithLog()
    {
        QFETCH(Person, person);
        QFETCH(QString, outcome);
        QFETCH(bool, withoutDescription);
        QFETCH(bool, abandon);
        appSettings.setExtraOutcomes({"已发短信", "未接通"});
        addPerson(person, "张三");
        addPerson(person, "李四");
        auto dialog = openCall(person, owner.get());
        auto *box = child<QComboBox>(dialog.get(), "comboBoxOutcome");
        box->setCurrentIndex(box->findText(outcome));
        if (outcomeOffersAbandon(outcome))
            messages->answerNext(abandon ? QMessageBox::Yes : QMessageBox::No);
        saveContact(dialog.get(), "");
        if (!withoutDescription) {
            QCOMPARE(messages->texts(), QStringList{"请输入电话内容."});
            messages->clear();
            saveContact(dialog.get());
        }
        QCOMPARE(queryValue(QString("SELECT outcome FROM contact_outcomes WHERE kind = %1 AND "
                                    "log_id = 1")
                                .arg(int(person) + 1))
                     .toString(),
                 outcome);
        QCOMPARE(messages->count(), outcomeOffersAbandon(outcome) ? 1 : 0);
        QCOMPARE(messages->last().defaultButton,
                 outcomeOffersAbandon(outcome) ? QMessageBox::No : QMessageBox::NoButton);
        messages->clear();
        QCOMPARE(queryValue("SELECT user_type FROM " + table(person) + " WHERE id = 1").toInt(),
                 abandon ? 0 : 1);
        // The outcome is chosen afresh for the next person.
        QCOMPARE(box->currentText(), QString());
    }

    // A talk time the store refuses takes the log, its outcome and tracking row with it.
    void durationStoredInLogTransaction()
    {
        const int id = addPerson(Person::Prospect, "张三");
        QVERIFY(!recordCustomerContact(id, 1, "谈过", 0, 1, nowTime(), 1,
                                       CallDetails{maxTalkSeconds + 1, "有意向"}));
        QCOMPARE(queryValue("SELECT (SELECT count(*) FROM customers_tel_logs) + (SELECT count(*) "
                            "FROM customers_contact_track) + (SELECT count(*) FROM "
                            "contact_outcomes) + (SELECT count(*) FROM contact_durations)")
                     .toInt(),
                 0);
        QCOMPARE(messages->count(), 1);
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
        // The next person starts without a timer; the history shows the talk time.
        QCOMPARE(child<QLabel>(dialog.get(), "labelTalkTime")->text(), QString("00:00"));
        press(dialog.get(), "pushButtonToFirst");
        const QAbstractItemModel *history =
            child<QTableView>(dialog.get(), "tableViewPhoneLogs")->model();
        QCOMPARE(history->index(0, 7).data().toString(), QString("2:30"));
        QCOMPARE(history->headerData(7, Qt::Horizontal).toString(), QString("通话时长"));
    }

    // Typed | kind and name of each found person | the window Enter opens and its name.
    void searchBoxFindsAndOpens_data()
    {
        QTest::addColumn<QString>("row");
        QTest::newRow("decoded name") << "张|准客户 张三, 准增员 张四|CallDialog 张三";
        QTest::newRow("part, spaces")
            << "001 38|准客户 张三, 准增员 张四, 团队成员 李五|CallDialog 张三";
        QTest::newRow("+86") << "+86 138 0013 8001|准增员 张四|CallHelperDialog 张四";
        QTest::newRow("member") << "李五|团队成员 李五|TeammateDialog ";
        QTest::newRow("0086") << "0086 139 0013 8002|团队成员 李五|TeammateDialog ";
        QTest::newRow("second number") << "136001|团队成员 李五|TeammateDialog ";
    }
    void searchBoxFindsAndOpens()
    {
        QFETCH(QString, row);
        const QStringList cells = row.split('|');
        personWith(Person::Prospect, "张三", "138 0013 8000");
        personWith(Person::Recruit, "张四", "13800138001");
        personWith(Person::Recruit, "李五", "139-0013-8002/13600136000", 2);
        addPerson(Person::Prospect, "张放弃", 0);
        MainWindow window;
        window.show();
        QApplication::setActiveWindow(&window);
        QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
        auto *box = child<SearchBox>(&window, "lineEditSearch");
        QVERIFY(box->hasFocus());
        box->setText(cells[0]);
        box->searchNow();
        QStringList shown;
        for (int row = 0; row < box->resultList()->rowCount(); ++row)
            shown << box->resultList()->item(row, 0)->text() + " " +
                         box->resultList()->item(row, 1)->text();
        QCOMPARE(shown.join(", "), cells[1]);
        QString opened;
        onNextModal([&](QWidget *modal) {
            const auto *name = modal->findChild<QLineEdit *>("lineEditName");
            opened = modal->metaObject()->className() + QString(" ") + (name ? name->text() : "");
            modal->close();
        });
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(opened, cells[2]);
    }

    void paceFollowsSavesAndOtherConnections()
    {
        MainWindow window;
        auto *bar = child<QProgressBar>(&window, "progressBarFirstCustomers");
        QCOMPARE(bar->text(), QString("今日首次联系 0 / 20"));
        QVERIFY(recordCustomerContact(addPerson(Person::Prospect, "张三"), 1, "谈过", 0, 1,
                                      nowTime(), 1, CallDetails{65, {}}));
        window.TimerProc();
        QCOMPARE(bar->text(), QString("今日首次联系 1 / 20"));
        QCOMPARE(child<QLabel>(&window, "labelTalkCustomers")->text(), QString("0:01:05"));
        QVERIFY(addLog(Person::Recruit, 1, nowTime(), 1, 0, 1));
        window.TimerProc();
        QVERIFY(QSqlQuery(openDatabaseConnection("pace-writer"))
                    .exec("INSERT INTO contact_durations VALUES (2, 1, 3600)"));
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
