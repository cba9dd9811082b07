// The far end of the telephone tests: a liblinphone core of its own, in a
// process of its own (run as an unprivileged user when the tests run as
// root), that stands for the outside world behind the registrar's gateway.
//
//   farend SIP_PORT RTP_PORT PLAY_WAV FOLDER REGISTRAR_PORT
//
// Commands, one a line on standard input:
//   mode NUMBER answer|busy|decline|ring|notfound [HANGUP_AFTER_MS]
//       how calls to NUMBER are met (answer is the default for any number)
//   call FROM TO      calls TO at the registrar as the number FROM
//   hangup            ends every call
//   quit
// Events, one a line on standard output:
//   ready | incoming TO | answered NUMBER | ringing NUMBER |
//   ended NUMBER SECONDS REASON | dtmf NUMBER DIGIT |
//   held NUMBER | resumed NUMBER   the other side put the call on hold, took it back
#include <linphone++/linphone.hh>

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace {
struct Mode
{
    QString how = QStringLiteral("answer");
    int hangupAfterMs = 0;
};

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

std::string path(const QString &folder, const char *name)
{
    return (folder + QLatin1Char('/') + QLatin1String(name)).toStdString();
}

class FarEnd : public linphone::CoreListener
{
public:
    QHash<QString, Mode> modes;
    std::shared_ptr<linphone::Core> core;
    QList<std::shared_ptr<linphone::Call>> calls;
    int registrarPort = 0;
    // Calls the other side holds.
    QSet<const linphone::Call *> held;

    static QString numberOf(const std::shared_ptr<linphone::Call> &call)
    {
        const auto address = call->getDir() == linphone::Call::Dir::Incoming
                                 ? call->getToAddress()
                                 : call->getRemoteAddress();
        return QString::fromStdString(address->getUsername());
    }

    void onCallStateChanged(const std::shared_ptr<linphone::Core> &,
                            const std::shared_ptr<linphone::Call> &call,
                            linphone::Call::State state, const std::string &) override
    {
        using State = linphone::Call::State;
        const QString number = numberOf(call);
        switch (state) {
        case State::IncomingReceived: {
            calls.append(call);
            say(QStringLiteral("incoming ") + number);
            const Mode mode = modes.value(number);
            if (mode.how == QLatin1String("busy")) {
                call->decline(linphone::Reason::Busy);
            } else if (mode.how == QLatin1String("decline")) {
                call->decline(linphone::Reason::Declined);
            } else if (mode.how == QLatin1String("notfound")) {
                call->decline(linphone::Reason::NotFound);
            } else if (mode.how == QLatin1String("answer")) {
                QTimer::singleShot(300, [call] {
                    if (call->getState() == linphone::Call::State::IncomingReceived)
                        call->accept();
                });
            }
            break;
        }
        case State::OutgoingRinging:
            say(QStringLiteral("ringing ") + number);
            break;
        case State::Connected: {
            say(QStringLiteral("answered ") + number);
            const Mode mode = modes.value(number);
            if (call->getDir() == linphone::Call::Dir::Incoming && mode.hangupAfterMs > 0)
                QTimer::singleShot(mode.hangupAfterMs, [call] { call->terminate(); });
            break;
        }
        case State::PausedByRemote:
            held.insert(call.get());
            say(QStringLiteral("held ") + number);
            break;
        case State::StreamsRunning:
            if (held.remove(call.get()))
                say(QStringLiteral("resumed ") + number);
            break;
        case State::End:
        case State::Error:
            say(QStringLiteral("ended %1 %2 %3")
                    .arg(number)
                    .arg(call->getDuration())
                    .arg(QString::fromStdString(
                        std::to_string(static_cast<int>(call->getReason())))));
            break;
        case State::Released:
            calls.removeAll(call);
            held.remove(call.get());
            break;
        default:
            break;
        }
    }

    void onDtmfReceived(const std::shared_ptr<linphone::Core> &,
                        const std::shared_ptr<linphone::Call> &call, int dtmf) override
    {
        say(QStringLiteral("dtmf %1 %2").arg(numberOf(call)).arg(QChar(dtmf)));
    }

    void command(const QString &line)
    {
        const QStringList words = line.simplified().split(QLatin1Char(' '));
        const QString verb = words.value(0);
        if (verb == QLatin1String("mode") && words.size() >= 3) {
            modes.insert(words.at(1), Mode{words.at(2), words.value(3).toInt()});
        } else if (verb == QLatin1String("call") && words.size() == 3) {
            core->setPrimaryContact(
                QStringLiteral("sip:%1@127.0.0.1").arg(words.at(1)).toStdString());
            const auto to =
                linphone::Factory::get()->createAddress(QStringLiteral("sip:%1@127.0.0.1:%2")
                                                            .arg(words.at(2))
                                                            .arg(registrarPort)
                                                            .toStdString());
            auto params = core->createCallParams(nullptr);
            if (auto call = core->inviteAddressWithParams(to, params))
                calls.append(call);
        } else if (verb == QLatin1String("hangup")) {
            for (const auto &call : std::as_const(calls))
                call->terminate();
        } else if (verb == QLatin1String("quit")) {
            core->terminateAllCalls();
            QTimer::singleShot(300, qApp, &QCoreApplication::quit);
        }
    }
};
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6)
        return 2;
    const int sipPort = args.at(1).toInt();
    const int rtpPort = args.at(2).toInt();
    const QString folder = args.at(4);

    auto factory = linphone::Factory::get();
    factory->setDataDir(folder.toStdString() + "/");
    factory->setConfigDir(folder.toStdString() + "/");
    auto config = factory->createConfig(path(folder, "farend.rc"));
    config->setString("sip", "bind_address", "127.0.0.1");
    config->setString("rtp", "bind_address", "127.0.0.1");
    config->setInt("sip", "inc_timeout", 3600);
    auto listener = std::make_shared<FarEnd>();
    listener->registrarPort = args.at(5).toInt();
    auto core = factory->createCoreWithConfig(config, nullptr);
    listener->core = core;
    core->setGuessHostname(false);
    core->enableIpv6(false);
    core->enableVideoCapture(false);
    core->enableVideoDisplay(false);
    core->setUseFiles(true);
    core->setPlayFile(args.at(3).toStdString());
    core->setRecordFile(path(folder, "heard.wav"));
    core->setCallLogsDatabasePath(path(folder, "calls.db"));
    core->setZrtpSecretsFile(path(folder, "zrtp"));
    core->setInCallTimeout(0);
    core->setIncTimeout(3600);
    auto transports = factory->createTransports();
    transports->setUdpPort(sipPort);
    transports->setTcpPort(0);
    transports->setTlsPort(0);
    core->setTransports(transports);
    core->setAudioPort(rtpPort);
    core->addListener(listener);
    core->start();

    QTimer iterate;
    QObject::connect(&iterate, &QTimer::timeout, [core] { core->iterate(); });
    iterate.start(10);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[512];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            input.setEnabled(false);
            listener->command(QStringLiteral("quit"));
            return;
        }
        pending.append(buffer, int(got));
        int end;
        while ((end = pending.indexOf('\n')) >= 0) {
            listener->command(QString::fromUtf8(pending.left(end)));
            pending.remove(0, end + 1);
        }
    });
    say(QStringLiteral("ready"));
    const int code = app.exec();
    core->stop();
    return code;
}
