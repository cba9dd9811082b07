#include "app/mainwindow.h"
#include "common/appsettings.h"
#include "common/dateutils.h"
#include "online/accountdialog.h"
#include "online/downinitdatadialog.h"
#include "online/downloadcustomerlistdialog.h"
#include "online/qsavecustomerslistthread.h"
#include "online/webclient.h"
#include "standinserver.h"
#include "store/catalogstore.h"
#include "store/customerstore.h"
#include "store/snapshots.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSqlDatabase>
#include <QTest>
#include <QTimer>

namespace {
const QString agentEmail = QStringLiteral("agent@example.com");
const QString agentPassword = QStringLiteral("secret123");

int customerCount()
{
    return queryValue(QStringLiteral("SELECT count(*) FROM customers")).toInt();
}

void click(QWidget *parent, const char *button)
{
    auto *widget = parent->findChild<QPushButton *>(QLatin1String(button));
    QVERIFY(widget);
    QTest::mouseClick(widget, Qt::LeftButton);
}

QString hint(QWidget *dialog)
{
    return dialog->findChild<QLabel *>(QStringLiteral("labelHint"))->text();
}

QList<QByteArray> requestedIds(const StandinServer &server)
{
    QList<QByteArray> ids;
    for (const QByteArray &raw : server.requests()) { // the version check has none
        const auto fields = parseFormBody(StandinServer::body(raw));
        if (fields.contains("id"))
            ids << fields.value("id");
    }
    return ids;
}
} // namespace

class TestOnlineDialogs : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestWorkspace> workspace;
    std::unique_ptr<MessageRecorder> messages;
    std::unique_ptr<StandinServer> server;

    void serve(int initialCount)
    {
        StandinData data;
        const DownloadedCustomerList purchased = {
            {900001, QStringLiteral("李明"), QStringLiteral("13800000001"), QStringLiteral("东方"),
             QStringLiteral("会计"), QStringLiteral("中山路1号")},
            {900002, QStringLiteral(" 陈静 "), QStringLiteral("13800000002"),
             QStringLiteral("新华书店"), QStringLiteral("经理"), QStringLiteral("人民路5号")}};
        data.accounts.append({agentEmail, agentPassword, purchased, 1});
        data.initialList = generatedCustomers(initialCount, 1);
        server->setData(data);
    }

private slots:
    void init()
    {
        workspace = std::make_unique<TestWorkspace>();
        QVERIFY(workspace->openDatabase());
        messages = std::make_unique<MessageRecorder>();
        server = std::make_unique<StandinServer>(StandinData());
        QVERIFY(server->listen(0));
        qputenv("CALLLEDGER_SERVICE", server->address().toLatin1());
        serve(0);
        QSaveCustomersListThread::setRecordPause(0);
    }

    void cleanup()
    {
        server.reset();
        messages.reset();
        workspace.reset();
    }

    void accountDialog_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("stored");
        const int warning = int(MessageKind::Warning);
        QTest::newRow("blank user")
            << "   " << agentPassword << warning << QStringLiteral("请输入有效的用户名!") << false;
        QTest::newRow("blank password")
            << agentEmail << "  " << warning << QStringLiteral("请输入有效的密码!") << false;
        QTest::newRow("wrong password")
            << agentEmail << "secret12" << warning << QStringLiteral("密码错误.") << false;
        QTest::newRow("valid, blanks trimmed") << " agent@example.com "
                                               << " secret123\t" << int(MessageKind::Information)
                                               << QStringLiteral("帐号验证成功.") << true;
    }

    void accountDialog()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(int, kind);
        QFETCH(QString, message);
        QFETCH(bool, stored);
        AccountDialog dialog;
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditUserName"))->setText(user);
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditPassword"))->setText(password);
        click(&dialog, "pushButtonOk");
        QTRY_COMPARE(messages->count(), 1);
        QCOMPARE(int(messages->last().kind), kind);
        QCOMPARE(messages->last().text, message);
        QCOMPARE(dialog.result() == QDialog::Accepted, stored);
        QString storedUser, storedPassword;
        QCOMPARE(loadAccount(storedUser, storedPassword), stored);
        if (stored) {
            QCOMPARE(storedUser, agentEmail);
            QCOMPARE(storedPassword, agentPassword);
            // Opened again, it shows the stored account.
            AccountDialog again;
            QCOMPARE(again.findChild<QLineEdit *>(QStringLiteral("lineEditUserName"))->text(),
                     agentEmail);
            QCOMPARE(again.findChild<QLineEdit *>(QStringLiteral("lineEditPassword"))->text(),
                     agentPassword);
        }
    }

    // The service's answer: "status|Location" redirects, or without a Location comes a
    // byte at a time. The login ends in a box of its own; nothing reaches another host.
    void redirectsAndTricklesAreRefused_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("307 to another host") << "307 Moved|http://OTHER/";
        QTest::newRow("302 to another host") << "302 Found|http://OTHER/";
        QTest::newRow("302 to a file") << "302 Found|file:///etc/passwd";
        QTest::newRow("loop") << "302 Found|http://SELF/callback/client_update.php";
        QTest::newRow("a byte at a time") << "200 OK|";
    }
    void redirectsAndTricklesAreRefused()
    {
        QFETCH(QString, answer);
        StandinServer other{StandinData()};
        QVERIFY(other.listen(0));
        answer.replace("OTHER", other.address()).replace("SELF", server->address());
        const QString location = answer.section('|', 1);
        const QString raw = "HTTP/1.1 " + answer.replace('|', "\r\nLocation: ") + "\r\n";
        for (int i = 0; i < 20; ++i) // a client that follows would go round and round
            server->queueRawReply((raw + "Content-Length: 99\r\n\r\n").toUtf8(),
                                  location.isEmpty() ? 300 : 0);
        WebClient::setTransferLimit(2000);
        AccountDialog dialog;
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditUserName"))->setText(agentEmail);
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditPassword"))->setText(agentPassword);
        click(&dialog, "pushButtonOk");
        QTRY_COMPARE_WITH_TIMEOUT(messages->count(), 1, 10000);
        WebClient::setTransferLimit(WebClient::transferTimeoutMs);
        QCOMPARE(messages->last().text, location.isEmpty()
                                            ? "服务器在 2 秒内没有完成应答, 已停止等待"
                                            : "服务器返回了重定向, 未继续");
        QCOMPARE(server->requests().size() + other.requests().size(), 1);
    }

    void purchasedDownload_data()
    {
        QTest::addColumn<bool>("newOnly");
        QTest::addColumn<QByteArray>("dataType");
        QTest::addColumn<int>("count");
        QTest::newRow("new only") << true << QByteArray("1") << 1;
        QTest::newRow("all") << false << QByteArray("0") << 2;
    }

    void purchasedDownload()
    {
        QFETCH(bool, newOnly);
        QFETCH(QByteArray, dataType);
        QFETCH(int, count);
        QVERIFY(saveAccount(agentEmail, agentPassword));
        // Twice: the same customers are added again.
        for (int run = 1; run <= 2; ++run) {
            DownloadCustomerListDialog dialog;
            dialog.findChild<QCheckBox *>(QStringLiteral("checkBoxNew"))->setChecked(newOnly);
            click(&dialog, "pushButtonDown");
            QTRY_COMPARE(messages->count(), run);
            // The second time every number is known already, and the agent is told.
            QString text = QStringLiteral("共下载 %1 条客户信息,已添加到准客户列表中.").arg(count);
            if (run == 2)
                text += QStringLiteral("\n其中 %1 条客户的电话号码与已有的准客户相同.").arg(count);
            QCOMPARE(messages->last().text, text);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(customerCount(), count * run);
        }
        QCOMPARE(parseFormBody(StandinServer::body(server->requests().last())).value("data_type"),
                 dataType);
        QCOMPARE(
            queryValue(QStringLiteral("SELECT printf('%s|%s|%s|%s|%s|%s|%s|%s|%s|%s', "
                                      "decode_name(name), sex, birth_date, phone_number, "
                                      "home_address, home_tel, decode_name(company_name), office, "
                                      "is_contact, user_type) FROM customers "
                                      "WHERE server_customer_id = 900002"))
                .toString(),
            QStringLiteral("陈静|-1|1900-01-01|13800000002|人民路5号||新华书店|经理|0|1"));
    }

    // A missing element is an empty text, so the row is stored, in both
    // downloads; the purchased list counts what it stored and what it could not.
    void missingElementsAreEmptyTexts_data()
    {
        QTest::addColumn<bool>("initial");
        QTest::addColumn<int>("refusedId"); // 0: no insert fails
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("rows");
        const QString purchased = QStringLiteral("共下载 %1 条客户信息,已添加到准客户列表中.");
        QTest::newRow("purchased") << false << 0 << purchased.arg(2) << 2;
        QTest::newRow("purchased, one refused")
            << false << 8 << purchased.arg(1) + QStringLiteral("\n另有 1 条客户信息无法保存,没有添加.")
            << 1;
        QTest::newRow("initial") << true << 0
                                 << "全部下载完成,共下载2条客户信息,已添加到准客户列表中" << 2;
    }

    void missingElementsAreEmptyTexts()
    {
        QFETCH(bool, initial);
        QFETCH(int, refusedId);
        QFETCH(QString, message);
        QFETCH(int, rows);
        QVERIFY(saveAccount(agentEmail, agentPassword));
        QVERIFY(execSql(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON customers WHEN "
                                       "NEW.server_customer_id = %1 BEGIN "
                                       "SELECT RAISE(ABORT, 'refused by test'); END")
                            .arg(refusedId)));
        server->queueReply("<result><user><id>7</id><name>李明</name></user>"
                           "<user><id>8</id><mobile/><company> </company></user></result>");
        std::unique_ptr<QDialog> dialog;
        if (initial)
            dialog = std::make_unique<DownInitDataDialog>();
        else
            dialog = std::make_unique<DownloadCustomerListDialog>();
        click(dialog.get(), initial ? "pushButtonInit" : "pushButtonDown");
        QTRY_COMPARE_WITH_TIMEOUT(messages->count(), 1, 10000);
        QCOMPARE(messages->last().text, message);
        QCOMPARE(queryValue("SELECT count(*) FROM customers WHERE phone_number = '' AND "
                            "home_address = '' AND office = ''")
                     .toInt(),
                 rows);
    }

    void noAccountSendsNothing()
    {
        DownloadCustomerListDialog dialog;
        QTimer::singleShot(0, [] {
            if (auto *account = qobject_cast<AccountDialog *>(QApplication::activeModalWidget()))
                account->reject();
        });
        click(&dialog, "pushButtonDown");
        QCOMPARE(hint(&dialog), QStringLiteral("下载被中止,您没有有效的Vantoro帐号"));
        QTest::qWait(200);
        QVERIFY(server->requests().isEmpty());
    }

    void initialDownload_data()
    {
        QTest::addColumn<int>("listSize");
        QTest::addColumn<int>("failingId"); // 0: no insert fails
        QTest::addColumn<QList<QByteArray>>("ids");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("message");
        QTest::newRow("two batches") << 1500 << 0 << QList<QByteArray>{"0", "1000", "1500"} << 1500
                                     << "全部下载完成,共下载1500条客户信息,已添加到准客户列表中";
        QTest::newRow("empty first reply") << 0 << 0 << QList<QByteArray>{"0"} << 0
                                           << "全部下载完成,共下载0条客户信息,已添加到准客户列表中";
        QTest::newRow("insert fails in the second batch")
            << 1500 << 1200 << QList<QByteArray>{"0", "1000"} << 1000 << "refused by test";
    }

    void initialDownload()
    {
        QFETCH(int, listSize);
        QFETCH(int, failingId);
        QFETCH(QList<QByteArray>, ids);
        QFETCH(int, rows);
        QFETCH(QString, message);
        serve(listSize);
        QVERIFY(saveAccount(agentEmail, agentPassword));
        QVERIFY(execSql(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON customers WHEN "
                                       "NEW.server_customer_id = %1 BEGIN "
                                       "SELECT RAISE(ABORT, 'refused by test'); END")
                            .arg(failingId)));
        DownInitDataDialog dialog;
        click(&dialog, "pushButtonInit");
        QTRY_COMPARE_WITH_TIMEOUT(messages->count(), 1, 20000);
        QVERIFY2(messages->last().text.contains(message), qPrintable(messages->last().text));
        if (failingId)
            QCOMPARE(messages->last().title, QStringLiteral("新增客户信息出错."));
        QTest::qWait(1300); // a further batch would have been requested by now
        QCOMPARE(requestedIds(*server), ids);
        QCOMPARE(customerCount(), rows);
        QCOMPARE(queryValue(QStringLiteral("SELECT count(DISTINCT server_customer_id) FROM "
                                           "customers WHERE server_customer_id <= %1")
                                .arg(rows))
                     .toInt(),
                 rows);
        QVERIFY(dialog.findChild<QPushButton *>(QStringLiteral("pushButtonInit"))->isEnabled());
        // The data as it was before the download is kept in a snapshot.
        const QList<SnapshotInfo> snapshots = listSnapshots();
        QCOMPARE(snapshots.size(), 1);
        SnapshotInfo before = snapshots.first();
        QVERIFY(readSnapshotCounts(before));
        QCOMPARE(before.prospects, qint64(0));
    }

    void stopMidBatch_data()
    {
        QTest::addColumn<bool>("quit");
        QTest::newRow("cancel") << false;
        QTest::newRow("quit") << true;
    }

    // While a batch is written the board goes on counting and the agent's own
    // save does not wait. A stop keeps what was stored before it, nothing after
    // it, and requests no further batch.
    void stopMidBatch()
    {
        QFETCH(bool, quit);
        serve(1000);
        QVERIFY(saveAccount(agentEmail, agentPassword));
        QSaveCustomersListThread::setRecordPause(5);
        const Seconds now = Clock::now().toSecsSinceEpoch();
        QVERIFY(execSql(QStringLiteral("INSERT INTO customers_contact_track(customer_id, "
                                       "contact_time, contact_state) VALUES (7, %1, 1), (8, %1, 2)")
                            .arg(now)));
        appSettings.setCustomersCount(20);
        auto window = std::make_unique<MainWindow>();
        auto *action = window->findChild<QAction *>(QStringLiteral("action_init_customer_list"));
        action->trigger();
        action->trigger();
        const auto dialogs = window->findChildren<DownInitDataDialog *>();
        QCOMPARE(dialogs.size(), 1);
        DownInitDataDialog *dialog = dialogs.first();
        QVERIFY(dialog->isVisible());
        click(dialog, "pushButtonInit");
        auto *bar = dialog->findChild<QProgressBar *>(QStringLiteral("progressBar"));
        QTRY_VERIFY_WITH_TIMEOUT(bar->maximum() == 1000 && bar->value() >= 20, 10000);
        QVERIFY(hint(dialog).startsWith(QStringLiteral("正在保存第")));
        auto *contacted = window->findChild<QLabel *>(QStringLiteral("labelTodayContactedCount"));
        auto *first =
            window->findChild<QLabel *>(QStringLiteral("labelTodayFirstPhoneCustomerCount"));
        // Both numbers are counted afresh: the list of first calls holds
        // nobody until the batch commits, and nobody has a log today.
        contacted->clear();
        first->clear();
        appSettings.setCustomersCount(30);
        QTRY_COMPARE_WITH_TIMEOUT(first->text(), QStringLiteral("0"), 2500);
        QCOMPARE(contacted->text(), QStringLiteral("0"));
        QCOMPARE(customerCount(), 0); // the batch is not committed yet
        auto *writer = dialog->findChild<QSaveCustomersListThread *>();
        QElapsedTimer saving;
        saving.start();
        QVERIFY(addCustomer(QStringLiteral("王五"), 1, "1980-01-01", "1", "", "", "", ""));
        QVERIFY2(saving.elapsed() < 1000, qPrintable(QString::number(saving.elapsed())));
        QVERIFY(writer->isRunning());
        if (quit) {
            window.reset(); // waits for the writer
        } else {
            click(dialog, "pushButtonCancel");
            QVERIFY(!dialog->isVisible());
            QTRY_VERIFY(writer->isFinished());
            QCOMPARE(writer->storedCount(), customerCount() - 1);
            QVERIFY(
                dialog->findChild<QPushButton *>(QStringLiteral("pushButtonInit"))->isEnabled());
        }
        QTest::qWait(1500);
        QCOMPARE(requestedIds(*server), QList<QByteArray>{"0"});
        const int stored = customerCount() - 1;
        QVERIFY2(stored >= 20 && stored < 1000, qPrintable(QString::number(stored)));
        QCOMPARE(
            queryValue(QStringLiteral("SELECT max(server_customer_id) FROM customers")).toInt(),
            stored);
        QCOMPARE(messages->count(), 0);
    }

    void versionCheck_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("told");
        QTest::newRow("1.1") << QByteArray("<result><version>1.1</version></result>") << true;
        QTest::newRow("1.08") << QByteArray("<result><version>1.08</version></result>") << false;
        QTest::newRow("non-numeric")
            << QByteArray("<result><version>v2</version></result>") << false;
        QTest::newRow("comment before") << QByteArray("<result><!--new--><version>9</version>"
                                                      "</result>")
                                        << false;
    }

    void versionCheck()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, told);
        server->queueReply(reply);
        MainWindow window;
        QTRY_COMPARE(server->requests().size(), 1);
        QTest::qWait(500);
        QCOMPARE(messages->count(), told ? 1 : 0);
        if (told) {
            QCOMPARE(messages->last().title, QStringLiteral("提示"));
            QCOMPARE(messages->last().text,
                     QStringLiteral("检测到新版的 <<Vantoro电话营销软件>>, \r\n请到 "
                                    "http://www.vantoro.com 下载"));
        }
    }
};

CALLLEDGER_TEST_MAIN(TestOnlineDialogs, QApplication)
#include "tst_onlinedialogs.moc"
