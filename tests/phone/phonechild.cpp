// The program's telephone in a process of its own, so that a test can end
// it in the middle of a call the two normal ways: the window closed ("quit"
// on standard input) or SIGTERM.
//   phonechild FOLDER SERVER PLAY_WAV NUMBER
// Prints "talking" once the call is answered.
#include "phone/phonecontroller.h"
#include "store/database.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
int quitPipe[2];

void onSignal(int)
{
    const char byte = 1;
    (void)!::write(quitPipe[1], &byte, 1);
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5 || !QDir::setCurrent(args.at(1)) || !initDatabase() || ::pipe(quitPipe))
        return 2;
    QMainWindow window;
    // The normal end: the window closes and the event loop ends.
    const auto quit = [&window] {
        window.close();
        QCoreApplication::quit();
    };
    QSocketNotifier signalled(quitPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalled, &QSocketNotifier::activated, quit);
    std::signal(SIGTERM, onSignal);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) > 0)
            quit();
    });

    SoftPhone::Setup setup;
    setup.bindAddress = QStringLiteral("127.0.0.1");
    setup.playFile = args.at(3);
    setup.speakerFile = QDir::current().absoluteFilePath(QStringLiteral("speaker.wav"));
    PhoneController controller(&window, {}, setup);
    PhoneAccount account;
    account.enabled = true;
    account.server = args.at(2);
    account.user = QStringLiteral("1001");
    PhoneOptions options;
    options.recordCalls = true;
    SoftPhone *phone = controller.phone();
    QObject::connect(phone, &PhoneLine::callChanged, [phone] {
        if (phone->phase() == CallPhase::Talking && phone->talkSeconds() == 0) {
            std::printf("talking\n");
            std::fflush(stdout);
        }
    });
    QObject::connect(phone, &SoftPhone::statusChanged, [phone, &args] {
        if (phone->ready() && !phone->inCall() && phone->callId() == 0)
            phone->dial({0, -1, args.at(4)});
    });
    controller.apply(account, QStringLiteral("pw-1001"), options);
    const int code = app.exec();
    closeDatabase();
    return code;
}
