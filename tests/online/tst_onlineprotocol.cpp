#include "common/messagehook.h"
#include "online/downloadcustomerlist.h"
#include "online/httpaccountverify.h"
#include "online/httpchecknew.h"
#include "standinserver.h"
#include "support/testmain.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

namespace {
const QString agentEmail = QStringLiteral("agent@example.com");
const QString agentPassword = QStringLiteral("secret123");
const QString unparsable = QStringLiteral("返回数据格式不能解析.");

enum Method
{
    Login,
    Purchased,
    Initial,
    Version
};

// Sends one request, waits for done(bool) and sums the outcome up as
// "ok|error|records" (records id/name/mobile/company/major/address, or the version).
QString send(int method, const QString &email, const QString &password, qint64 argument)
{
    HttpAccountVerify verify;
    DownloadCustomerList purchased;
    DownloadInitCustomerList initial;
    HttpCheckNew checkNew;
    WebClient *const clients[] = {&verify, &purchased, &initial, &checkNew};
    QSignalSpy spy(clients[method], &WebClient::done);
    if (method == Login)
        verify.verify(email, password);
    else if (method == Purchased)
        purchased.download(email, password, int(argument));
    else if (method == Initial)
        initial.download(email, password, argument);
    else
        checkNew.check();
    if (!spy.wait(10000))
        return QStringLiteral("no answer");
    const bool ok = spy.first().first().toBool();
    QStringList records;
    for (const DownloadedCustomer &c : purchased.downloadedCustomers())
        records << QStringList{QString::number(c.id), c.name, c.mobile, c.company, c.major,
                               c.company_address}
                       .join(QLatin1Char('/'));
    if (method == Version && ok)
        records << QString::number(checkNew.version());
    return QStringList{ok ? "ok" : "failed", clients[method]->errorString(), records.join(';')}
        .join(QLatin1Char('|'));
}

QByteArray nestedStatus(int depth)
{
    return QByteArray("<a>").repeated(depth) + "<status>1003</status>" +
           QByteArray("</a>").repeated(depth);
}

// A row of replies(): a canned reply (null: the stand-in answers from its data).
void reply(const char *name, int method, const QByteArray &body, const QString &outcome)
{
    QTest::newRow(name) << method << body << outcome;
}
} // namespace

class TestOnlineProtocol : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<StandinServer> server;

private slots:
    void init()
    {
        StandinData data;
        const DownloadedCustomerList purchased = {
            {900001, QStringLiteral("李明"), QStringLiteral("13800000001"), QStringLiteral("东方"),
             QStringLiteral("会计"), QStringLiteral("中山路1号")},
            {900002, QStringLiteral("陈静"), QStringLiteral("13800000002"),
             QStringLiteral("新华书店"), QStringLiteral("经理"), QStringLiteral("人民路5号")}};
        data.accounts.append({agentEmail, agentPassword, purchased, 1});
        data.version = QStringLiteral("1.09");
        server = std::make_unique<StandinServer>(data);
        QVERIFY(server->listen(0));
        qputenv("CALLLEDGER_SERVICE", server->address().toLatin1());
    }

    void cleanup() { server.reset(); }

    // The bodies carry the signature, so a wrong one fails here as well.
    void requestBytes_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("password");
        QTest::addColumn<qint64>("argument");
        QTest::addColumn<QByteArray>("body");
        const QByteArray agent = "&email=agent@example.com&sign=5ebf27b735049d9d3fbc21e66f8e09a1";
        const auto row = [&](const char *name, int method, qint64 argument,
                             const QByteArray &body) {
            QTest::newRow(name) << method << agentEmail << agentPassword << argument << body;
        };
        row("login", Login, 0, "method=login" + agent);
        row("purchased, new only", Purchased, 1, "method=get_my_data" + agent + "&data_type=1");
        row("purchased, all", Purchased, 0, "method=get_my_data" + agent + "&data_type=0");
        row("initial, from 0", Initial, 0, "method=get_init_data" + agent + "&id=0&n=1000");
        row("initial, after 1500", Initial, 1500,
            "method=get_init_data" + agent + "&id=1500&n=1000");
        row("version", Version, 0, "method=check_new_version");
        QTest::newRow("login, & and + unencoded, utf-8 password")
            << int(Login) << "a&b+c@example.com"
            << "密码 x" << qint64(0)
            << QByteArray("method=login&email=a&b+c@example.com"
                          "&sign=64d6ccc88da9d5a5a1f1e067a39d0170");
    }

    void requestBytes()
    {
        QFETCH(int, method);
        QFETCH(QString, email);
        QFETCH(QString, password);
        QFETCH(qint64, argument);
        QFETCH(QByteArray, body);
        static QStringList logged;
        logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &text) { logged << text; });
        send(method, email, password, argument);
        qInstallMessageHandler(previous);
        // The e-mail and its signature (which replays as the password) stay out of the logs.
        const QString log = logged.join('\n');
        QVERIFY2(!log.contains(email) && !log.contains("sign="), qPrintable(log));
        QCOMPARE(server->requests().size(), 1);
        const QByteArray raw = server->requests().first();
        QCOMPARE(StandinServer::requestLine(raw),
                 QByteArray("POST /callback/client_update.php HTTP/1.1"));
        QCOMPARE(StandinServer::header(raw, "Host"), server->address().toLatin1());
        QCOMPARE(StandinServer::header(raw, "Content-Type"),
                 QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(StandinServer::body(raw), body);
    }

    void replies_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("outcome");
        reply("login, stand-in", Login, QByteArray(), "ok||");
        reply("1003", Login, "<result><status>1003</status></result>", "ok||");
        reply("1002", Login, "<result><status>1002</status></result>", "failed|帐号不存在.|");
        reply("1005", Login, "<r><status>1005</status></r>", "failed|密码错误.|");
        reply("unknown code", Login, "<r><status>4711</status></r>",
              "failed|未知错误,错误码:4711|");
        reply("non-numeric", Login, "<r><status>abc</status></r>", "failed|未知错误,错误码:0|");
        reply("deeply nested", Login, nestedStatus(100), "ok||");
        reply("nested too deep", Login, nestedStatus(300), "failed|" + unparsable + "|");
        reply("login, empty body", Login, "", "failed||");
        reply("login, non-XML", Login, "<html><status>1003</html>", "failed|" + unparsable + "|");
        reply("too large", Login,
              "<r><status>1003</status>" + QByteArray(replySizeLimit, ' ') + "</r>",
              "failed|" + unparsable + "|");
        reply("no status", Login, "<result><code>1003</code></result>",
              "failed|" + unparsable + "|");
        reply("list, stand-in, new only", Purchased, QByteArray(),
              "ok||900002/陈静/13800000002/新华书店/经理/人民路5号");
        reply("list, empty body", Purchased, "", "failed|返回数据为空.|");
        reply("list, non-XML", Purchased, "result: none", "failed|" + unparsable + "|");
        reply("list, another root", Purchased, "<results><user><id>1</id></user></results>",
              "failed|" + unparsable + "|");
        reply("no users", Purchased, "<result/>", "ok||");
        reply("users with missing elements and blanks", Purchased,
              "<result><user><id> 12 </id><name>  王伟 \n</name><x/></user>"
              "<other><user><id>5</id></user></other>"
              "<user><mobile> 139 </mobile><id>abc</id><major>经理</major>"
              "<major>会计</major></user></result>",
              "ok||12/王伟////;0//139//经理/");
        reply("version, stand-in", Version, QByteArray(), "ok||1.09");
        reply("version 1.1, blanks", Version, "<result>\n <version>1.1</version>\n</result>",
              "ok||1.1");
        reply("version non-numeric", Version, "<result><version>new</version></result>", "ok||0");
        reply("comment before version", Version,
              "<result><!-- x --><version>1.1</version></result>", "failed|" + unparsable + "|");
        reply("text before version", Version, "<result>v<version>1.1</version></result>",
              "failed|" + unparsable + "|");
        reply("version, another root", Version, "<r><version>1.1</version></r>",
              "failed|" + unparsable + "|");
    }

    void replies()
    {
        QFETCH(int, method);
        QFETCH(QByteArray, body);
        QFETCH(QString, outcome);
        if (!body.isNull())
            server->queueReply(body);
        QCOMPARE(send(method, agentEmail, agentPassword, 1), outcome);
    }

    void transportFailureGivesTheNetworkError()
    {
        const quint16 port = server->port();
        server.reset(); // nobody listens there any more
        qputenv("CALLLEDGER_SERVICE", QByteArray("127.0.0.1:") + QByteArray::number(port));
        const QStringList outcome = send(Login, agentEmail, agentPassword, 0).split('|');
        QCOMPARE(outcome.first(), QStringLiteral("failed"));
        QVERIFY(!outcome.at(1).isEmpty() && outcome.at(1) != unparsable);
    }

    void abortReportsNothing()
    {
        HttpCheckNew checkNew;
        QSignalSpy spy(&checkNew, &WebClient::done);
        checkNew.check();
        checkNew.abort();
        QTest::qWait(300);
        QCOMPARE(spy.count(), 0);
    }

    // The list writer's connection reports through the store's hook; a box
    // shown from its thread would crash, so the report moves to the GUI thread.
    void reportsFromAWorkerReachTheGuiThread()
    {
        QList<QThread *> threads;
        setWarningHook(
            [&](const QString &, const QString &) { threads.append(QThread::currentThread()); });
        std::unique_ptr<QThread> worker(
            QThread::create([] { reportWarning(QStringLiteral("x"), QStringLiteral("t")); }));
        worker->start();
        QVERIFY(worker->wait(5000));
        QTRY_COMPARE(threads.size(), 1);
        QCOMPARE(threads.first(), QCoreApplication::instance()->thread());
        setWarningHook(nullptr);
    }
};

CALLLEDGER_TEST_MAIN(TestOnlineProtocol, QCoreApplication)
#include "tst_onlineprotocol.moc"
