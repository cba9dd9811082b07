// The built-in telephone against a real Kamailio registrar and a far end
// that is a second liblinphone core (phonenetwork.*).
#include "phonenetwork.h"
#include "prospectfixtures.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include "app/remindertray.h"
#include "calling/calldialog.h"
#include "common/dateutils.h"
#include "phone/phoneaccountdialog.h"
#include "phone/phonecontroller.h"
#include "phone/softphone.h"
#include "prospects/addcustomerdialog.h"
#include "store/callrecords.h"
#include "store/customerstore.h"
#include "store/phonerecords.h"
#include "support/messagerecorder.h"
#include "widgets/callbar.h"
#include "widgets/recordingspanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMediaPlayer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {
PhoneNetwork *network = nullptr;

SoftPhone::Setup setupIn(const QString &folder)
{
    SoftPhone::Setup setup;
    setup.privateFolder = folder + QStringLiteral("/softphone");
    setup.bindAddress = QStringLiteral("127.0.0.1");
    setup.playFile = network->playFile();
    setup.speakerFile = folder + QStringLiteral("/speaker.wav");
    setup.firstRetrySeconds = 1;
    setup.maxRetrySeconds = 2;
    return setup;
}

// A phone registered as 1001 in the workspace.
std::unique_ptr<SoftPhone> registeredPhone(const TestWorkspace &ws, const PhoneOptions &options)
{
    auto phone = std::make_unique<SoftPhone>(setupIn(ws.path()));
    phone->apply(network->account(), PhoneNetwork::password(QStringLiteral("1001")), options);
    if (!QTest::qWaitFor([&] { return phone->ready(); }, 10000))
        qWarning() << phone->statusText();
    return phone;
}

// Seconds of sound in the recording and its loudest level (dB), decoded by ffmpeg.
std::pair<double, double> decodeRecording(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-hide_banner"), QStringLiteral("-i"), path, QStringLiteral("-af"),
                  QStringLiteral("volumedetect"), QStringLiteral("-f"), QStringLiteral("null"),
                  QStringLiteral("-")});
    ffmpeg.waitForFinished(30000);
    const QString log = QString::fromUtf8(ffmpeg.readAllStandardError());
    static const QRegularExpression time(QStringLiteral("time=(\\d+):(\\d+):(\\d+\\.\\d+)"));
    static const QRegularExpression peak(QStringLiteral("max_volume: (-?[\\d.]+) dB"));
    double seconds = -1;
    for (auto it = time.globalMatch(log); it.hasNext();) {
        const auto m = it.next();
        seconds =
            m.captured(1).toInt() * 3600 + m.captured(2).toInt() * 60 + m.captured(3).toDouble();
    }
    const auto loud = peak.match(log);
    return {seconds, loud.hasMatch() ? loud.captured(1).toDouble() : -200};
}
} // namespace

class TestSoftPhone : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void registration_data();
    void registration();
    void registrarStoppedAndBack();
    void unansweredCalls_data();
    void unansweredCalls();
    void answeredCallIsTimedRecordedAndSaved();
    void callControlsReachTheFarEnd_data();
    void callControlsReachTheFarEnd();
    void incomingCalls_data();
    void incomingCalls();
    void missedCallIsListedUntilCalledBack();
    void accountDialogRefusesBadFields_data();
    void accountDialogRefusesBadFields();
    void registrationTestShowsTheServersAnswer_data();
    void registrationTestShowsTheServersAnswer();
    void passwordStaysOutOfEveryFile();
    void oldRecordingsArePrunedWithTheirRows();
    void answeringOpensThePerson_data();
    void answeringOpensThePerson();
    void progressiveCallingSkipsAndStops();
    void endingTheProgramHangsUpAndKeepsTheCall_data();
    void endingTheProgramHangsUpAndKeepsTheCall();

private:
    std::unique_ptr<PhoneNetwork> net;
};

void TestSoftPhone::initTestCase()
{
    net = std::make_unique<PhoneNetwork>();
    QString error;
    QVERIFY2(net->start(&error), qPrintable(error));
    network = net.get();
}

void TestSoftPhone::cleanupTestCase()
{
    network = nullptr;
    net.reset();
}

void TestSoftPhone::registration_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("closedServer");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("maxRegisters");
    QTest::newRow("registered") << QStringLiteral("pw-1001") << false
                                << QStringLiteral("电话: 已注册 1001") << 3;
    // A wrong password is said once and not hammered at the server.
    QTest::newRow("wrong password")
        << QStringLiteral("wrong") << false << QStringLiteral("电话: 注册失败 (密码错误)") << 3;
    QTest::newRow("unreachable") << QStringLiteral("pw-1001") << true
                                 << QStringLiteral("电话: 未连接 (无法连接服务器)") << 0;
}

void TestSoftPhone::registration()
{
    QFETCH(QString, password);
    QFETCH(bool, closedServer);
    QFETCH(QString, status);
    QFETCH(int, maxRegisters);
    TestWorkspace ws;
    QVERIFY(ws.openDatabase());
    const int before = net->registersFrom(QStringLiteral("1001"));
    SoftPhone phone(setupIn(ws.path()));
    PhoneAccount account = net->account(QStringLiteral("1001"), QStringLiteral("tcp"));
    if (closedServer)
        account.server = QStringLiteral("127.0.0.1:%1").arg(PhoneNetwork::closedPort());
    phone.apply(account, password, PhoneOptions());
    QTRY_VERIFY2_WITH_TIMEOUT(phone.statusText().startsWith(status), qPrintable(phone.statusText()),
                              10000);
    QCOMPARE(phone.ready(), status.contains(QStringLiteral("已注册")));
    QTest::qWait(2500);
    QVERIFY2(net->registersFrom(QStringLiteral("1001")) - before <= maxRegisters,
             qPrintable(QString::number(net->registersFrom(QStringLiteral("1001")) - before)));
    // What liblinphone keeps holds no password.
    for (const QFileInfo &file :
         QDir(ws.path() + QStringLiteral("/softphone")).entryInfoList(QDir::Files)) {
        QFile read(file.filePath());
        QVERIFY(read.open(QIODevice::ReadOnly));
        QVERIFY2(!read.readAll().contains(password.toUtf8()), qPrintable(file.fileName()));
    }
    QCOMPARE(QFileInfo(ws.path() + QStringLiteral("/softphone")).permissions() & 0x0077, 0);
}

void TestSoftPhone::registrarStoppedAndBack()
{
    TestWorkspace ws;
    QVERIFY(ws.openDatabase());
    SoftPhone phone(setupIn(ws.path()));
    phone.apply(net->account(QStringLiteral("1001"), QStringLiteral("tcp")),
                PhoneNetwork::password(QStringLiteral("1001")), PhoneOptions());
    QTRY_VERIFY_WITH_TIMEOUT(phone.ready(), 10000);
    QVERIFY(net->stopRegistrar());
    QTRY_VERIFY2_WITH_TIMEOUT(phone.statusText().startsWith(QStringLiteral("电话: 未连接")),
                              qPrintable(phone.statusText()), 10000);
    QVERIFY(!phone.ready());
    // Back-off: a few attempts while it is away, not a storm.
    QTest::qWait(3000);
    QVERIFY(net->startRegistrar());
    QTRY_VERIFY2_WITH_TIMEOUT(phone.ready(), qPrintable(phone.statusText()), 10000);
    QCOMPARE(phone.statusText(), QStringLiteral("电话: 已注册 1001"));
}

void TestSoftPhone::unansweredCalls_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("endText");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("busy") << QStringLiteral("13900000001") << QStringLiteral("busy")
                          << QStringLiteral("对方忙") << QStringLiteral("拒接/挂断");
    QTest::newRow("declined") << QStringLiteral("13900000002") << QStringLiteral("decline")
                              << QStringLiteral("对方拒接") << QStringLiteral("拒接/挂断");
    QTest::newRow("no answer") << QStringLiteral("13900000003") << QStringLiteral("ring")
                               << QStringLiteral("无人接听") << QStringLiteral("未接通");
    QTest::newRow("not found") << QStringLiteral("13900000004") << QStringLiteral("notfound")
                               << QStringLiteral("空号或号码错误") << QStringLiteral("空号/错号");
    QTest::newRow("no such extension")
        << QStringLiteral("4004") << QString() << QStringLiteral("空号或号码错误")
        << QStringLiteral("空号/错号");
    QTest::newRow("unreachable") << QStringLiteral("900000005") << QString()
                                 << QStringLiteral("无法接通 (网络或服务器无应答)")
                                 << QStringLiteral("未接通");
}

void TestSoftPhone::unansweredCalls()
{
    QFETCH(QString, number);
    QFETCH(QString, mode);
    QFETCH(QString, endText);
    QFETCH(QString, outcome);
    TestWorkspace ws;
    QVERIFY(ws.openDatabase());
    if (!mode.isEmpty())
        net->tell(QStringLiteral("mode %1 %2").arg(number, mode));
    PhoneOptions options;
    options.recordCalls = true;
    options.ringTimeoutSeconds = 2;
    auto phone = registeredPhone(ws, options);
    QVERIFY(phone->ready());
    QSignalSpy ended(phone.get(), &PhoneLine::callEnded);
    QVERIFY(phone->dial({1, 7, number}));
    QVERIFY(ended.wait(8000));
    const auto summary = ended.first().first().value<CallSummary>();
    QCOMPARE(summary.endText, endText);
    QCOMPARE(summary.suggestedOutcome, outcome);
    QVERIFY(!summary.answered);
    QCOMPARE(summary.pendingId, -1);
    QCOMPARE(phone->phaseText(), QStringLiteral("已结束: ") + endText);
    // Nothing kept: no talk time, no recording left behind.
    QCOMPARE(queryValue(QStringLiteral("SELECT count(*) FROM pending_calls")).toInt(), 0);
    QCOMPARE(QDir(recordingsFolder()).entryList(QDir::Files), QStringList());
}

void TestSoftPhone::answeredCallIsTimedRecordedAndSaved()
{
    TestWorkspace ws;
    QVERIFY(ws.openDatabase());
    const int id = Fixtures::insertProspect(Fixtures::prospect(QStringLiteral("张伟")));
    const QString number = QStringLiteral("13800001111");
    net->tell(QStringLiteral("mode %1 answer 3000").arg(number));
    PhoneOptions options;
    options.recordCalls = true;
    auto phone = registeredPhone(ws, options);
    QSignalSpy ended(phone.get(), &PhoneLine::callEnded);
    net->mark();
    QVERIFY(phone->dial({1, id, number}));
    QTRY_COMPARE_WITH_TIMEOUT(phone->phase(), CallPhase::Talking, 5000);
    QTRY_VERIFY(phone->recording());
    QVERIFY(phone->lastRingDelayMs() >= 0 && phone->lastRingDelayMs() < 300);
    QVERIFY(ended.wait(10000));
    const QString farEnd = net->waitFor(QStringLiteral("ended ") + number);
    const int farSeconds = farEnd.section(QLatin1Char(' '), 2, 2).toInt();
    const auto summary = ended.first().first().value<CallSummary>();
    QVERIFY(summary.answered);
    QCOMPARE(summary.endText, QStringLiteral("对方已挂断"));
    QVERIFY2(qAbs(summary.talkSeconds - farSeconds) <= 1,
             qPrintable(QStringLiteral("%1 %2").arg(summary.talkSeconds).arg(farSeconds)));
    QVERIFY(summary.talkSeconds >= 2);

    const QList<PendingCall> pending = pendingCallsFor(1, id, number);
    QCOMPARE(pending.size(), 1);
    const QString path = QDir(recordingsFolder()).filePath(pending.first().file);
    QCOMPARE(QFileInfo(path).permissions() & 0x0FFF, QFile::ReadUser | QFile::WriteUser);
    const auto [seconds, peak] = decodeRecording(path);
    QVERIFY2(qAbs(seconds - summary.talkSeconds) <= 1.5, qPrintable(QString::number(seconds)));
    QVERIFY2(peak > -30, qPrintable(QString::number(peak)));

    // The agent's log takes the talk time and the recording.
    CallDetails details;
    details.seconds = summary.talkSeconds;
    details.pendingCalls = {summary.pendingId};
    QVERIFY(recordCustomerContact(id, 1, QStringLiteral("谈了保险"), nowTime() + 3600, 1, nowTime(),
                                  1, details));
    tidyRecordings();
    const qint64 logId =
        queryValue(QStringLiteral("SELECT max(id) FROM customers_tel_logs")).toLongLong();
    const QList<Recording> saved = recordingsOfLog(1, logId);
    QCOMPARE(saved.size(), 1);
    QVERIFY(saved.first().file.startsWith(QStringLiteral("prospect-%1-").arg(logId)));
    QCOMPARE(checkRecording(saved.first().file, saved.first().sha256), RecordingState::Sound);
    QCOMPARE(QDir(recordingsFolder()).entryList(QDir::Files), QStringList{saved.first().file});
    QCOMPARE(queryValue(QStringLiteral("SELECT seconds FROM contact_durations")).toLongLong(),
             summary.talkSeconds);
    QCOMPARE(queryValue(QStringLiteral("SELECT count(*) FROM pending_calls")).toInt(), 0);

    // Played through Qt Multimedia; a changed or missing file is said instead.
    QTableView history;
    RecordingsPanel panel(&history, nullptr);
    auto *state = panel.findChild<QLabel *>(QStringLiteral("labelRecordingState"));
    QVERIFY(panel.play(saved.first().file, saved.first().sha256));
    QTRY_VERIFY2_WITH_TIMEOUT(panel.player()->duration() > 2000, qPrintable(state->text()), 10000);
    QCOMPARE(panel.player()->error(), QMediaPlayer::NoError);
    panel.player()->stop();
    const QString savedPath = QDir(recordingsFolder()).filePath(saved.first().file);
    QFile altered(savedPath);
    QVERIFY(altered.open(QIODevice::Append) && altered.write("x") == 1);
    altered.close();
    QVERIFY(!panel.play(saved.first().file, saved.first().sha256));
    QCOMPARE(state->text(), QStringLiteral("录音文件已被改动 (校验值不符)"));
    QVERIFY(QFile::remove(savedPath));
    QVERIFY(!panel.play(saved.first().file, saved.first().sha256));
    QCOMPARE(state->text(), QStringLiteral("录音文件不存在"));
}

void TestSoftPhone::callControlsReachTheFarEnd_data()
{
    QTest::addColumn<QStringList>("presses"); // buttons of the call bar, or keys typed into it
    QTest::addColumn<QStringList>("heard");   // what the far end sees, in order
    QTest::newRow("保持 and back")
        << QStringList{"pushButtonHold", "pushButtonHold"} << QStringList{"held", "resumed"};
    // Keys that are no tones send none; the bar takes digits while it has the focus.
    QTest::newRow("keypad and keys")
        << QStringList{"toolButtonTone1", "toolButtonToneHash", "key 7", "key a", "key *"}
        << QStringList{"dtmf 1", "dtmf #", "dtmf 7", "dtmf *"};
}

// What the call bar does reaches the far end: 保持 holds the call there (its
// re-INVITE), keypad and digit keys arrive as tones. (静音 cannot be heard
// there: with files instead of a sound card, liblinphone mixes the play file
// into what it sends after the microphone's gain, which 静音 sets to zero.)
void TestSoftPhone::callControlsReachTheFarEnd()
{
    QFETCH(QStringList, presses);
    QFETCH(QStringList, heard);
    TestWorkspace ws;
    QVERIFY(ws.openDatabase());
    const QString number = QStringLiteral("13800001212");
    net->tell(QStringLiteral("mode %1 answer").arg(number));
    auto phone = registeredPhone(ws, PhoneOptions());
    CallBar bar;
    bar.show();
    QVERIFY(phone->dial({1, -1, number}));
    QTRY_COMPARE_WITH_TIMEOUT(phone->phase(), CallPhase::Talking, 5000);
    QTest::qWait(500); // the media runs
    net->mark();
    bar.findChild<QToolButton *>(QStringLiteral("toolButtonKeypad"))->click();
    QStringList expected;
    for (const QString &press : presses) {
        if (press.startsWith(QStringLiteral("key ")))
            QTest::keyClicks(&bar, press.mid(4));
        else
            QTest::mouseClick(bar.findChild<QAbstractButton *>(press), Qt::LeftButton);
        if (press != QStringLiteral("key a"))
            expected << heard.at(expected.size());
        QTRY_COMPARE_WITH_TIMEOUT(net->eventsAbout(number), expected, 5000);
    }
    QTest::qWait(500); // and nothing more
    QCOMPARE(net->eventsAbout(number), heard);
    QVERIFY(!phone->held());
    phone->hangUp();
    QTRY_VERIFY(!phone->inCall());
}

void TestSoftPhone::incomingCalls_data()
{
    QTest::addColumn<QString>("caller");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("answer");
    // Stored numbers are written as agents write them; callers come with +86.
    QTest::newRow("prospect, answered") << QStringLiteral("+8613800002222") << 1 << true;
    QTest::newRow("recruit, declined") << QStringLiteral("13800003333") << 2 << false;
    QTest::newRow("unknown, answered") << QStringLiteral("02088886666") << 0 << true;
}

void TestSoftPhone::incomingCalls()
{
    QFETCH(QString, caller);
    QFETCH(int, kind);
    QFETCH(bool, answer);
    TestWorkspace ws;
    QVERIFY(ws.openDatabase());
    Fixtures::Prospect prospect = Fixtures::prospect(QStringLiteral("王芳"));
    prospect.phone = QStringLiteral("138-0000-2222");
    const int prospectId = Fixtures::insertProspect(prospect);
    QVERIFY(execSql(QStringLiteral("INSERT INTO helpers(name, sex, birth_date, phone_number, "
                                   "is_contact, user_type) VALUES ('李强', 1, '1990-01-01', "
                                   "'138 0000 3333', 0, 1)")));
    const qint64 recruitId = queryValue(QStringLiteral("SELECT max(id) FROM helpers")).toLongLong();
    auto phone = registeredPhone(ws, PhoneOptions());
    QSignalSpy incoming(phone.get(), &PhoneLine::incomingCall);
    QSignalSpy ended(phone.get(), &PhoneLine::callEnded);
    net->mark();
    net->tell(QStringLiteral("call %1 1001").arg(caller));
    QVERIFY(incoming.wait(5000));
    const auto party = incoming.first().first().value<CallParty>();
    QCOMPARE(party.kind, kind);
    QCOMPARE(party.personId, kind == 1 ? qint64(prospectId) : kind == 2 ? recruitId : qint64(-1));
    QCOMPARE(phone->phase(), CallPhase::Incoming);
    if (answer) {
        phone->answer();
        QTRY_COMPARE_WITH_TIMEOUT(phone->phase(), CallPhase::Talking, 5000);
        QVERIFY(!net->waitFor(QStringLiteral("answered ")).isEmpty());
        QTest::qWait(1200);
        phone->hangUp();
        QTRY_COMPARE(ended.count(), 1);
        const qint64 talked = ended.first().first().value<CallSummary>().talkSeconds;
        QVERIFY(talked >= 1 && talked <= 2);
        QCOMPARE(pendingCallsFor(kind, party.personId, caller).size(), 1);
    } else {
        phone->hangUp();
        QTRY_COMPARE(ended.count(), 1);
        // The caller hears busy (reason 6); a declined call is no missed one.
        QCOMPARE(net->waitFor(QStringLiteral("ended ")).section(QLatin1Char(' '), 3),
                 QStringLiteral("6"));
    }
    QCOMPARE(countMissedCalls(), 0);
}

void TestSoftPhone::missedCallIsListedUntilCalledBack()
{
    TestWorkspace ws;
    QVERIFY(ws.openDatabase());
    auto phone = registeredPhone(ws, PhoneOptions());
    QSignalSpy incoming(phone.get(), &PhoneLine::incomingCall);
    QSignalSpy missed(phone.get(), &PhoneLine::missedCallsChanged);
    net->tell(QStringLiteral("call 13700001234 1001"));
    QVERIFY(incoming.wait(5000));
    net->tell(QStringLiteral("hangup"));
    QVERIFY(missed.wait(5000));
    QCOMPARE(countMissedCalls(), 1);
    QCOMPARE(phone->lastSummary().endText, QStringLiteral("未接来电"));
    // Calling the number back answers it.
    net->tell(QStringLiteral("mode +8613700001234 busy"));
    QSignalSpy ended(phone.get(), &PhoneLine::callEnded);
    QVERIFY(phone->dial({0, -1, QStringLiteral("+8613700001234")}));
    QCOMPARE(countMissedCalls(), 0);
    QVERIFY(ended.wait(5000));
}

void TestSoftPhone::accountDialogRefusesBadFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString server =
        QStringLiteral("服务器地址只能是 主机名 或 主机名:端口, 不能含空格、@、;、< 等字符.");
    const QString user = QStringLiteral("用户名不能含空格、@、;、< 等字符.");
    QTest::newRow("server with a blank") << "lineEditServer"
                                         << "pbx example.com" << server;
    QTest::newRow("server with @") << "lineEditServer"
                                   << "evil@pbx.example.com" << server;
    QTest::newRow("server with ;") << "lineEditServer"
                                   << "pbx.example.com;lr" << server;
    QTest::newRow("server with <") << "lineEditServer"
                                   << "<sip:pbx>" << server;
    QTest::newRow("server port") << "lineEditServer"
                                 << "pbx.example.com:70000"
                                 << QStringLiteral("服务器端口必须是 1 到 65535 之间的数字.");
    QTest::newRow("user with a newline") << "lineEditUser"
                                         << "10\n01" << user;
    QTest::newRow("user with ;") << "lineEditUser"
                                 << "1001;x=y" << user;
    QTest::newRow("user with @") << "lineEditUser"
                                 << "1001@evil" << user;
    QTest::newRow("display name with a quote")
        << "lineEditDisplayName"
        << "坐席\"<sip:x>" << QStringLiteral("显示名称不能含换行、引号或 < > 字符.");
}

void TestSoftPhone::accountDialogRefusesBadFields()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    TestWorkspace ws;
    MessageRecorder messages;
    PhoneAccountDialog dialog;
    dialog.findChild<QCheckBox *>(QStringLiteral("checkBoxEnabled"))->setChecked(true);
    dialog.findChild<QLineEdit *>(QStringLiteral("lineEditServer"))
        ->setText(QStringLiteral("pbx.example.com:5060"));
    dialog.findChild<QLineEdit *>(QStringLiteral("lineEditUser"))->setText(QStringLiteral("1001"));
    auto *edit = dialog.findChild<QLineEdit *>(field);
    edit->setText(text);
    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("pushButtonOk")),
                      Qt::LeftButton);
    QCOMPARE(messages.texts(), QStringList{message});
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.focusWidget(), edit);
    QVERIFY(loadPhoneAccount().server.isEmpty());
}

void TestSoftPhone::registrationTestShowsTheServersAnswer_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("answer");
    QTest::newRow("right") << QStringLiteral("pw-1002") << true
                           << QStringLiteral("注册成功 (200 OK)");
    QTest::newRow("wrong") << QStringLiteral("nope") << false
                           << QStringLiteral("服务器答复: 401 Unauthorized");
}

void TestSoftPhone::registrationTestShowsTheServersAnswer()
{
    QFETCH(QString, password);
    QFETCH(bool, ok);
    QFETCH(QString, answer);
    TestWorkspace ws;
    PhoneAccountDialog dialog;
    dialog.findChild<QLineEdit *>(QStringLiteral("lineEditServer"))->setText(net->account().server);
    dialog.findChild<QLineEdit *>(QStringLiteral("lineEditUser"))->setText(QStringLiteral("1002"));
    dialog.findChild<QLineEdit *>(QStringLiteral("lineEditPassword"))->setText(password);
    QSignalSpy tested(&dialog, &PhoneAccountDialog::registrationTested);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("pushButtonTest")),
                      Qt::LeftButton);
    QVERIFY(tested.wait(10000));
    QCOMPARE(tested.first().at(0).toBool(), ok);
    QCOMPARE(tested.first().at(1).toString(), answer);
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("labelTestResult"))->text(), answer);
}

void TestSoftPhone::passwordStaysOutOfEveryFile()
{
    TestWorkspace ws;
    QVERIFY(ws.openDatabase());
    QMainWindow window;
    PhoneController controller(&window, {}, setupIn(ws.path()));
    const QString password = PhoneNetwork::password(QStringLiteral("1001"));
    {
        PhoneAccountDialog dialog(&window);
        const PhoneAccount account = net->account();
        dialog.findChild<QCheckBox *>(QStringLiteral("checkBoxEnabled"))->setChecked(true);
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditServer"))->setText(account.server);
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditUser"))->setText(account.user);
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditPassword"))->setText(password);
        dialog.findChild<QCheckBox *>(QStringLiteral("checkBoxRecord"))->setChecked(true);
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("pushButtonOk")),
                          Qt::LeftButton);
    }
    auto *status = window.findChild<QLabel *>(QStringLiteral("statusPhoneLabel"));
    QTRY_VERIFY2_WITH_TIMEOUT(status->text().startsWith(QStringLiteral("电话: 已注册 1001")),
                              qPrintable(status->text()), 10000);
    // No keyring in the tests: the session keeps it, and the status says so.
    QTRY_VERIFY(status->text().contains(QStringLiteral("只保留到本次程序退出")));
    net->tell(QStringLiteral("mode 13800004444 answer 1000"));
    QSignalSpy ended(controller.phone(), &PhoneLine::callEnded);
    QVERIFY(controller.phone()->dial({0, -1, QStringLiteral("13800004444")}));
    QVERIFY(ended.wait(10000));
    QVERIFY(ended.first().first().value<CallSummary>().pendingId > 0);
    QCOMPARE(QDir(recordingsFolder()).entryList(QDir::Files).size(), 1);
    int files = 0;
    for (QDirIterator it(ws.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();) {
        QFile file(it.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(!file.readAll().contains(password.toUtf8()), qPrintable(file.fileName()));
        ++files;
    }
    QVERIFY(files >= 4); // data file, settings, liblinphone's files, the recording
}

void TestSoftPhone::oldRecordingsArePrunedWithTheirRows()
{
    TestWorkspace ws;
    QVERIFY(ws.openDatabase());
    QString error;
    QVERIFY(ensurePrivateFolder(recordingsFolder(), &error));
    const qint64 now = nowTime();
    const qint64 day = 24 * 3600;
    const int id = Fixtures::insertProspect(Fixtures::prospect(QStringLiteral("赵敏")));
    // Two saved (40 and 3 days old), two unsaved (40 and 3 days old).
    const auto file = [](const QString &name) {
        QFile out(QDir(recordingsFolder()).filePath(name));
        return out.open(QIODevice::WriteOnly) && out.write("mkv") == 3;
    };
    for (const qint64 age : {40, 3}) {
        QVERIFY(addCustomerTelLog(id, 1, QStringLiteral("x"), now, 1, now - age * day));
        const qint64 logId =
            queryValue(QStringLiteral("SELECT max(id) FROM customers_tel_logs")).toLongLong();
        const QString name = QStringLiteral("prospect-%1.mkv").arg(logId);
        QVERIFY(file(name));
        QVERIFY(
            execSql(QStringLiteral("INSERT INTO contact_recordings VALUES (1, %1, '%2', 9, 'x')")
                        .arg(logId)
                        .arg(name)));
        const QString pending = QStringLiteral("call-%1.mkv").arg(age);
        QVERIFY(file(pending));
        QVERIFY(addPendingCall({-1, 1, id, QStringLiteral("138"), now - age * day, 9, pending,
                                QStringLiteral("x")}) > 0);
    }
    const PruneReport report = pruneRecordings(30, now);
    QCOMPARE(report.files, 2);
    QVERIFY(report.problems.isEmpty());
    QCOMPARE(pruneReportText(report), QStringLiteral("已删除 2 个过期录音 (1 KB)"));
    QCOMPARE(QDir(recordingsFolder()).entryList(QDir::Files),
             (QStringList{QStringLiteral("call-3.mkv"), QStringLiteral("prospect-2.mkv")}));
    QCOMPARE(
        queryValue(QStringLiteral("SELECT group_concat(file) FROM contact_recordings")).toString(),
        QStringLiteral("prospect-2.mkv"));
    QCOMPARE(queryValue(QStringLiteral("SELECT group_concat(file) FROM pending_calls")).toString(),
             QStringLiteral("call-3.mkv"));
    // 0 keeps everything; deleting the person finds the rest.
    QCOMPARE(pruneRecordings(0, now + 100 * day).files, 0);
    QCOMPARE(personRecordingFiles(1, id).size(), 2);
    QVERIFY(deletePersonRecordings(1, id));
    QCOMPARE(QDir(recordingsFolder()).entryList(QDir::Files), QStringList());
}

void TestSoftPhone::answeringOpensThePerson_data()
{
    QTest::addColumn<QString>("caller");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("prospect") << QStringLiteral("13800007777") << QStringLiteral("CallDialog");
    QTest::newRow("recruit") << QStringLiteral("13800008888") << QStringLiteral("CallHelperDialog");
    QTest::newRow("unknown") << QStringLiteral("13800009999")
                             << QStringLiteral("AddCustomerDialog");
}

// The incoming-call window names a known caller; 接听 opens the person's
// call dialog with the call running in its bar, whose save keeps the talk
// time and recording; an unknown number goes into a new prospect.
void TestSoftPhone::answeringOpensThePerson()
{
    QFETCH(QString, caller);
    QFETCH(QString, dialog);
    TestWorkspace ws;
    QVERIFY(ws.openDatabase());
    MessageRecorder messages;
    Fixtures::Prospect prospect = Fixtures::prospect(QStringLiteral("孙丽"));
    prospect.phone = QStringLiteral("13800007777");
    Fixtures::insertProspect(prospect);
    QVERIFY(execSql(QStringLiteral("INSERT INTO helpers(name, sex, birth_date, phone_number, "
                                   "is_contact, user_type) VALUES ('周杰', 1, '1990-01-01', "
                                   "'13800008888', 0, 1)")));
    QMainWindow window;
    PhoneController::Hooks hooks;
    hooks.openPerson = [&window](int kind, qint64 id) {
        runCallDialogFor(&window, kind == 2 ? PersonKind::Recruit : PersonKind::Prospect, id);
    };
    hooks.addProspect = [&window](const QString &number) {
        AddCustomerDialog add(&window);
        add.findChild<QLineEdit *>(QStringLiteral("lineEditPhone"))->setText(number);
        add.exec();
    };
    PhoneController controller(&window, hooks, setupIn(ws.path()));
    PhoneOptions options;
    options.recordCalls = true;
    controller.apply(net->account(), PhoneNetwork::password(QStringLiteral("1001")), options);
    QTRY_VERIFY_WITH_TIMEOUT(controller.phone()->ready(), 10000);
    net->tell(QStringLiteral("call %1 1001").arg(caller));
    QFrame *incoming = nullptr;
    QTRY_VERIFY((incoming = qobject_cast<QFrame *>([] {
                     for (QWidget *top : QApplication::topLevelWidgets())
                         if (top->objectName() == QLatin1String("incomingCallWindow") &&
                             top->isVisible())
                             return top;
                     return static_cast<QWidget *>(nullptr);
                 }())));
    const QString shown = incoming->findChild<QLabel *>(QStringLiteral("labelCaller"))->text();
    QVERIFY2(shown.contains(dialog == QLatin1String("CallDialog") ? QStringLiteral("孙丽 (准客户)")
                            : dialog == QLatin1String("CallHelperDialog")
                                ? QStringLiteral("周杰 (准增员)")
                                : QStringLiteral("不在名单中")),
             qPrintable(shown));
    bool checked = false;
    QTimer::singleShot(0, [&] {
        QWidget *opened = QApplication::activeModalWidget();
        QTRY_VERIFY(opened = QApplication::activeModalWidget());
        QCOMPARE(QString::fromLatin1(opened->metaObject()->className()), dialog);
        if (dialog == QLatin1String("AddCustomerDialog")) {
            QCOMPARE(opened->findChild<QLineEdit *>(QStringLiteral("lineEditPhone"))->text(),
                     caller);
            // Not in a dialog's bar: the call gets a window of its own.
            QTRY_VERIFY(window.findChild<QWidget *>(QStringLiteral("callWindow")) || [] {
                for (QWidget *top : QApplication::topLevelWidgets())
                    if (top->objectName() == QLatin1String("callWindow") && top->isVisible())
                        return true;
                return false;
            }());
            controller.phone()->hangUp();
            // Its own close would ask about the typed number.
            static_cast<QDialog *>(opened)->QDialog::done(QDialog::Rejected);
            checked = true;
            return;
        }
        auto *state = opened->findChild<QLabel *>(QStringLiteral("labelCallState"));
        QTRY_VERIFY2(state->text().startsWith(QStringLiteral("通话中")), qPrintable(state->text()));
        QVERIFY(opened->findChild<QLabel *>(QStringLiteral("labelRecording"))->isVisible());
        QTest::qWait(1500);
        QTest::mouseClick(opened->findChild<QPushButton *>(QStringLiteral("pushButtonHangUp")),
                          Qt::LeftButton);
        QTRY_VERIFY(state->text().startsWith(QStringLiteral("已结束")));
        opened->findChild<QRadioButton *>(QStringLiteral("radioButtonPhoneMode"))->setChecked(true);
        opened->findChild<QRadioButton *>(QStringLiteral("radioButtonNextPhoneTime"))
            ->setChecked(true);
        opened->findChild<QTextEdit *>(QStringLiteral("textEditPhoneContent"))
            ->setPlainText(QStringLiteral("回电咨询"));
        QTest::mouseClick(opened->findChild<QPushButton *>(QStringLiteral("pushButtonSave")),
                          Qt::LeftButton);
        checked = true;
    });
    QTest::mouseClick(incoming->findChild<QPushButton *>(QStringLiteral("pushButtonAnswer")),
                      Qt::LeftButton);
    QVERIFY(checked);
    if (dialog == QLatin1String("AddCustomerDialog"))
        return;
    const int kind = dialog == QLatin1String("CallDialog") ? 1 : 2;
    QCOMPARE(
        queryValue(
            QStringLiteral("SELECT count(*) FROM contact_recordings WHERE kind = %1").arg(kind))
            .toInt(),
        1);
    const qint64 seconds =
        queryValue(
            QStringLiteral("SELECT seconds FROM contact_durations WHERE kind = %1").arg(kind))
            .toLongLong();
    QVERIFY2(seconds >= 1 && seconds <= 3, qPrintable(QString::number(seconds)));
    QCOMPARE(queryValue(QStringLiteral("SELECT count(*) FROM pending_calls")).toInt(), 0);
    QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
}

// After a save the walk skips whom it must not dial (no number, given up
// since the list was loaded), counts down before the next one and stops on Esc.
void TestSoftPhone::progressiveCallingSkipsAndStops()
{
    TestWorkspace ws;
    QVERIFY(ws.openDatabase());
    MessageRecorder messages;
    const QStringList phones{QStringLiteral("13700000001"), QStringLiteral("-"),
                             QStringLiteral("13700000003"), QStringLiteral("13700000004")};
    QList<int> ids;
    for (int i = 0; i < phones.size(); ++i) {
        Fixtures::Prospect prospect = Fixtures::prospect(QStringLiteral("客户%1").arg(i));
        prospect.phone = phones.at(i);
        ids.append(Fixtures::insertProspect(prospect));
    }
    QMainWindow window;
    PhoneController controller(&window, {}, setupIn(ws.path()));
    PhoneOptions options;
    options.progressiveDialling = true;
    options.progressiveCountdownSeconds = 1;
    savePhoneOptions(options);
    controller.apply(net->account(), PhoneNetwork::password(QStringLiteral("1001")), options);
    QTRY_VERIFY_WITH_TIMEOUT(controller.phone()->ready(), 10000);
    std::unique_ptr<QSqlQueryModel> list(loadCustomersModel(nullptr, QString(), 0, 0));
    QVERIFY(setCustomerUserType(ids.at(2), 0)); // given up after the list was loaded
    net->tell(QStringLiteral("mode 13700000001 busy"));
    CallDialog dialog(list.get(), list->index(0, 0), &window);
    dialog.show();
    QSignalSpy ended(controller.phone(), &PhoneLine::callEnded);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("pushButtonDial")),
                      Qt::LeftButton);
    QVERIFY(ended.wait(5000));
    // The busy line suggests its outcome, which needs no description.
    auto *outcome = dialog.findChild<QComboBox *>(QStringLiteral("comboBoxOutcome"));
    QCOMPARE(outcome->currentText(), QStringLiteral("拒接/挂断"));
    const auto save = [&dialog] {
        dialog.findChild<QRadioButton *>(QStringLiteral("radioButtonPhoneMode"))->setChecked(true);
        dialog.findChild<QRadioButton *>(QStringLiteral("radioButtonNextPhoneTime"))
            ->setChecked(true);
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("pushButtonSave")),
                          Qt::LeftButton);
    };
    save();
    auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("lineEditName"));
    QTRY_COMPARE(name->text(), QStringLiteral("客户3"));
    auto *countdown = dialog.findChild<QLabel *>(QStringLiteral("labelCountdown"));
    QVERIFY(countdown->isVisible());
    QVERIFY(countdown->text().contains(QStringLiteral("秒后拨打下一位")));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    QVERIFY(!countdown->isVisible());
    QTest::qWait(1500);
    QVERIFY(!controller.phone()->inCall());
    QCOMPARE(ended.count(), 1);
    QCOMPARE(queryValue(QStringLiteral("SELECT outcome FROM contact_outcomes")).toString(),
             QStringLiteral("拒接/挂断"));
    QCOMPARE(queryValue(QStringLiteral("SELECT count(*) FROM contact_durations")).toInt(), 0);
    QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));

    // Back to 客户0 and saved again: the walk counts down to 客户3, where a
    // deal entered meanwhile stops it (nobody is dialled while the order is typed).
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("pushButtonToFirst")),
                      Qt::LeftButton);
    outcome->setCurrentText(QStringLiteral("拒接/挂断"));
    save();
    QTRY_VERIFY(countdown->isVisible() && name->text() == QStringLiteral("客户3"));
    QTimer::singleShot(2000, [] { QApplication::activeModalWidget()->close(); });
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("pushButtonBargain")),
                      Qt::LeftButton);
    QVERIFY(!countdown->isVisible());
    QCOMPARE(ended.count(), 1);
    QVERIFY(!controller.phone()->inCall());

    // 客户3 dialled by hand, 客户0 saved again: the walk passes whom it
    // dialled today and stops at the end of the list.
    net->tell(QStringLiteral("mode 13700000004 busy"));
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("pushButtonDial")),
                      Qt::LeftButton);
    QVERIFY(ended.wait(5000));
    messages.answerNext(QMessageBox::Yes); // its suggested outcome is not saved
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("pushButtonToFirst")),
                      Qt::LeftButton);
    QCOMPARE(name->text(), QStringLiteral("客户0"));
    outcome->setCurrentText(QStringLiteral("拒接/挂断"));
    save();
    QTRY_COMPARE(countdown->text(), QStringLiteral("连续拨号: 名单已到末尾"));
    QCOMPARE(name->text(), QStringLiteral("客户3"));
    QTest::qWait(1500);
    QCOMPARE(ended.count(), 2);
    QVERIFY(!controller.phone()->inCall());
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("本次联系记录尚未保存,是否放弃?")});
}

void TestSoftPhone::endingTheProgramHangsUpAndKeepsTheCall_data()
{
    QTest::addColumn<bool>("signal");
    QTest::newRow("window closed") << false;
    QTest::newRow("SIGTERM") << true;
}

void TestSoftPhone::endingTheProgramHangsUpAndKeepsTheCall()
{
    QFETCH(bool, signal);
    TestWorkspace ws;
    QVERIFY(ws.openDatabase());
    ws.closeDatabase();
    const QString number = signal ? QStringLiteral("13800005555") : QStringLiteral("13800006666");
    net->tell(QStringLiteral("mode %1 answer").arg(number));
    net->mark();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), ws.path());
    child.setProcessEnvironment(env);
    child.start(QStringLiteral(PHONE_CHILD),
                {ws.path(), net->account().server, net->playFile(), number});
    QVERIFY(child.waitForStarted());
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += child.readAllStandardOutput()).contains("talking") ||
                                 child.state() != QProcess::Running,
                             15000);
    QVERIFY2(child.state() == QProcess::Running, said.constData());
    QTest::qWait(2200);
    if (signal)
        child.terminate();
    else
        child.write("quit\n");
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    // The far end was told, and the call is kept for the agent's log.
    const QString ended = net->waitFor(QStringLiteral("ended ") + number, 5000);
    QVERIFY(!ended.isEmpty());
    const int farSeconds = ended.section(QLatin1Char(' '), 2, 2).toInt();
    QVERIFY(ws.openDatabase());
    const QList<PendingCall> kept = pendingCallsFor(0, -1, number);
    QCOMPARE(kept.size(), 1);
    QVERIFY2(qAbs(kept.first().seconds - farSeconds) <= 1 && kept.first().seconds >= 2,
             qPrintable(QStringLiteral("%1 %2").arg(kept.first().seconds).arg(farSeconds)));
    QCOMPARE(checkRecording(kept.first().file, kept.first().sha256), RecordingState::Sound);
    QVERIFY(decodeRecording(QDir(recordingsFolder()).filePath(kept.first().file)).first >= 1.5);
}

CALLLEDGER_TEST_MAIN(TestSoftPhone, QApplication)
#include "tst_softphone.moc"
