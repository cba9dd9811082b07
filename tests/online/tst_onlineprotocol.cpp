#include "app/messagehook.h"
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

StandinData sampleData()
{
    StandinData data;
    const DownloadedCustomerList purchased = {
        {900001, QStringLiteral("李明"), QStringLiteral("13800000001"), QStringLiteral("东方"),
         QStringLiteral("会计"), QStringLiteral("中山路1号")},
        {900002, QStringLiteral("陈静"), QStringLiteral("13800000002"), QStringLiteral("新华书店"),
         QStringLiteral("经理"), QStringLiteral("人民路5号")}};
    data.accounts.append({agentEmail, agentPassword, purchased, 1});
    data.initialList = generatedCustomers(30, 1);
    data.version = QStringLiteral("1.09");
    return data;
}

// Starts the request and waits for done(bool); its argument.
template <typename Client, typename Start> bool answer(Client &client, Start start)
{
    QSignalSpy spy(&client, &WebClient::done);
    start();
    if (!spy.wait(10000))
        return false;
    return spy.first().first().toBool();
}

QByteArray nestedStatus(int depth, const QByteArray &code)
{
    return QByteArray("<a>").repeated(depth) + "<status>" + code + "</status>" +
           QByteArray("</a>").repeated(depth);
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
        server = std::make_unique<StandinServer>(sampleData());
        QVERIFY(server->listen(0));
        qputenv("CALLLEDGER_SERVICE", server->address().toLatin1());
    }

    void cleanup() { server.reset(); }

    void requestBytes_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("argument");
        QTest::addColumn<QByteArray>("body");
        const QByteArray sign = "&sign=5ebf27b735049d9d3fbc21e66f8e09a1";
        QTest::newRow("login") << 0 << agentEmail << agentPassword << 0
                               << "method=login&email=agent@example.com" + sign;
        QTest::newRow("login, & and + unencoded")
            << 0 << "a&b+c@example.com"
            << "密码 x" << 0
            << QByteArray("method=login&email=a&b+c@example.com"
                          "&sign=64d6ccc88da9d5a5a1f1e067a39d0170");
        QTest::newRow("purchased, new only")
            << 1 << agentEmail << agentPassword << 1
            << "method=get_my_data&email=agent@example.com" + sign + "&data_type=1";
        QTest::newRow("purchased, all")
            << 1 << agentEmail << agentPassword << 0
            << "method=get_my_data&email=agent@example.com" + sign + "&data_type=0";
        QTest::newRow("initial, from 0")
            << 2 << agentEmail << agentPassword << 0
            << "method=get_init_data&email=agent@example.com" + sign + "&id=0&n=1000";
        QTest::newRow("initial, after 1500")
            << 2 << agentEmail << agentPassword << 1500
            << "method=get_init_data&email=agent@example.com" + sign + "&id=1500&n=1000";
        QTest::newRow("version") << 3 << QString() << QString() << 0
                                 << QByteArray("method=check_new_version");
    }

    void requestBytes()
    {
        QFETCH(int, method);
        QFETCH(QString, email);
        QFETCH(QString, password);
        QFETCH(int, argument);
        QFETCH(QByteArray, body);
        HttpAccountVerify verify;
        DownloadCustomerList purchased;
        DownloadInitCustomerList initial;
        HttpCheckNew checkNew;
        switch (method) {
        case 0:
            answer(verify, [&] { verify.verify(email, password); });
            break;
        case 1:
            answer(purchased, [&] { purchased.download(email, password, argument); });
            break;
        case 2:
            answer(initial, [&] { initial.download(email, password, argument); });
            break;
        default:
            answer(checkNew, [&] { checkNew.check(); });
        }
        QCOMPARE(server->requests().size(), 1);
        const QByteArray raw = server->requests().first();
        QCOMPARE(StandinServer::requestLine(raw),
                 QByteArray("POST /callback/client_update.php HTTP/1.1"));
        QCOMPARE(StandinServer::header(raw, "Host"), server->address().toLatin1());
        QCOMPARE(StandinServer::header(raw, "Content-Type"),
                 QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(StandinServer::body(raw), body);
    }

    void signature_data()
    {
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("sign");
        QTest::newRow("agent") << agentEmail << agentPassword
                               << QByteArray("5ebf27b735049d9d3fbc21e66f8e09a1");
        QTest::newRow("utf-8 and blanks")
            << "a&b+c@example.com"
            << "密码 x" << QByteArray("64d6ccc88da9d5a5a1f1e067a39d0170");
        QTest::newRow("empty e-mail")
            << QString() << "secret" << QByteArray("a5f4bcf634e6e8db79c76f6e6d89eb35");
    }

    void signature()
    {
        QFETCH(QString, email);
        QFETCH(QString, password);
        QFETCH(QByteArray, sign);
        QCOMPARE(serviceSignature(email, password), sign);
    }

    // Canned replies (empty: the stand-in answers from its data).
    void loginReply_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("error");
        const QString unparsable = QStringLiteral("返回数据格式不能解析.");
        QTest::newRow("stand-in, valid") << agentPassword << QByteArray() << true << QString();
        QTest::newRow("stand-in, wrong password")
            << "wrong" << QByteArray() << false << QStringLiteral("密码错误.");
        QTest::newRow("1003") << "x" << QByteArray("<result><status>1003</status></result>") << true
                              << QString();
        QTest::newRow("1002") << "x" << QByteArray("<result><status>1002</status></result>")
                              << false << QStringLiteral("帐号不存在.");
        QTest::newRow("1005") << "x" << QByteArray("<r><status>1005</status></r>") << false
                              << QStringLiteral("密码错误.");
        QTest::newRow("unknown code") << "x" << QByteArray("<r><status>4711</status></r>") << false
                                      << QStringLiteral("未知错误,错误码:4711");
        QTest::newRow("non-numeric") << "x" << QByteArray("<r><status>abc</status></r>") << false
                                     << QStringLiteral("未知错误,错误码:0");
        QTest::newRow("deeply nested") << "x" << nestedStatus(100, "1003") << true << QString();
        QTest::newRow("nested too deep") << "x" << nestedStatus(300, "1003") << false << unparsable;
        QTest::newRow("empty body") << "x" << QByteArray("") << false << QString();
        QTest::newRow("non-XML") << "x" << QByteArray("<html><status>1003</html>") << false
                                 << unparsable;
        QTest::newRow("too large")
            << "x"
            << "<r><status>1003</status>" + QByteArray(replySizeLimit, ' ') + "</r>" << false
            << unparsable;
        QTest::newRow("no status")
            << "x" << QByteArray("<result><code>1003</code></result>") << false << unparsable;
    }

    void loginReply()
    {
        QFETCH(QString, password);
        QFETCH(QByteArray, reply);
        QFETCH(bool, ok);
        QFETCH(QString, error);
        if (!reply.isNull())
            server->queueReply(reply);
        HttpAccountVerify verify;
        QCOMPARE(answer(verify, [&] { verify.verify(agentEmail, password); }), ok);
        QCOMPARE(verify.errorString(), error);
    }

    void listReply_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("records"); // id|name|mobile|company|major|address
        QTest::newRow("stand-in, new only")
            << QByteArray() << true << QString()
            << QStringList{QStringLiteral("900002|陈静|13800000002|新华书店|经理|人民路5号")};
        QTest::newRow("empty body")
            << QByteArray("") << false << QStringLiteral("返回数据为空.") << QStringList();
        QTest::newRow("non-XML") << QByteArray("result: none") << false
                                 << QStringLiteral("返回数据格式不能解析.") << QStringList();
        QTest::newRow("another root")
            << QByteArray("<results><user><id>1</id></user></results>") << false
            << QStringLiteral("返回数据格式不能解析.") << QStringList();
        QTest::newRow("no users") << QByteArray("<result/>") << true << QString() << QStringList();
        QTest::newRow("missing elements and blanks")
            << QByteArray("<result><user><id> 12 </id><name>  王伟 \n</name><x/></user>"
                          "<other><user><id>5</id></user></other>"
                          "<user><mobile> 139 </mobile><id>abc</id><major>经理</major>"
                          "<major>会计</major></user></result>")
            << true << QString()
            << QStringList{QStringLiteral("12|王伟||||"), QStringLiteral("0||139||经理|")};
    }

    void listReply()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, ok);
        QFETCH(QString, error);
        QFETCH(QStringList, records);
        if (!reply.isNull())
            server->queueReply(reply);
        DownloadCustomerList client;
        QCOMPARE(answer(client, [&] { client.download(agentEmail, agentPassword, 1); }), ok);
        QCOMPARE(client.errorString(), error);
        QStringList got;
        for (const DownloadedCustomer &c : client.downloadedCustomers())
            got << QStringList{QString::number(c.id), c.name, c.mobile, c.company, c.major,
                               c.company_address}
                       .join(QLatin1Char('|'));
        QCOMPARE(got, records);
    }

    void versionReply_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("version");
        QTest::newRow("stand-in") << QByteArray() << true << 1.09;
        QTest::newRow("1.1") << QByteArray("<result>\n <version>1.1</version>\n</result>") << true
                             << 1.1;
        QTest::newRow("non-numeric")
            << QByteArray("<result><version>new</version></result>") << true << 0.0;
        QTest::newRow("comment first")
            << QByteArray("<result><!-- x --><version>1.1</version></result>") << false << 0.0;
        QTest::newRow("text first")
            << QByteArray("<result>v<version>1.1</version></result>") << false << 0.0;
        QTest::newRow("another root")
            << QByteArray("<r><version>1.1</version></r>") << false << 0.0;
    }

    void versionReply()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, ok);
        QFETCH(double, version);
        if (!reply.isNull())
            server->queueReply(reply);
        HttpCheckNew checkNew;
        QCOMPARE(answer(checkNew, [&] { checkNew.check(); }), ok);
        if (ok)
            QCOMPARE(checkNew.version(), version);
        else
            QCOMPARE(checkNew.errorString(), QStringLiteral("返回数据格式不能解析."));
    }

    void transportFailureGivesTheNetworkError()
    {
        const quint16 port = server->port();
        server.reset(); // nobody listens there any more
        qputenv("CALLLEDGER_SERVICE", QByteArray("127.0.0.1:") + QByteArray::number(port));
        HttpAccountVerify verify;
        QVERIFY(!answer(verify, [&] { verify.verify(agentEmail, agentPassword); }));
        QVERIFY(!verify.errorString().isEmpty());
        QVERIFY(verify.errorString() != QStringLiteral("返回数据格式不能解析."));
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
