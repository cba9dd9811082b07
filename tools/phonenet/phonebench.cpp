// Measures what the built-in telephone costs, against the tests' own
// registrar and far end: CPU of the registered telephone at rest and in a
// call, the longest pause of the event loop, the time from dialling to the
// far end's ringing, and the memory the telephone adds.
//
//   build/tools/phonenet/phonebench [SECONDS]
#include "phonenetwork.h"

#include "phone/softphone.h"
#include "store/database.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

// The longest gap between two ticks of a 5 ms timer: a frozen event loop.
class GapWatch : public QObject
{
public:
    GapWatch()
    {
        clock.start();
        connect(&timer, &QTimer::timeout, this,
                [this] { longest = std::max(longest, clock.restart()); });
        timer.start(5);
    }
    qint64 longest = 0;
    QElapsedTimer clock;
    QTimer timer;
};

// CPU share of one core over the seconds, the event loop running.
double cpuShare(int seconds)
{
    const double before = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(seconds * 1000);
    return 100.0 * (cpuSeconds() - before) / (wall.elapsed() / 1000.0);
}
} // namespace

int main(int argc, char **argv)
{
    // A folder of its own for the data file, liblinphone's files and the
    // sound libraries' state.
    QTemporaryDir workspace;
    qputenv("HOME", QFile::encodeName(workspace.path()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(workspace.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(2, atoi(argv[1])) : 10;
    PhoneNetwork network;
    QString error;
    if (!network.start(&error)) {
        std::fprintf(stderr, "phonebench: %s\n", qPrintable(error));
        return 1;
    }
    QDir::setCurrent(workspace.path());
    if (!initDatabase())
        return 1;
    const double baseMiB = residentMiB();

    SoftPhone::Setup setup;
    setup.privateFolder = workspace.filePath(QStringLiteral("softphone"));
    setup.bindAddress = QStringLiteral("127.0.0.1");
    setup.playFile = network.playFile();
    setup.speakerFile = workspace.filePath(QStringLiteral("speaker.wav"));
    SoftPhone phone(setup);
    PhoneOptions options;
    options.recordCalls = true;
    GapWatch gaps;
    QElapsedTimer startClock;
    startClock.start();
    phone.apply(network.account(), PhoneNetwork::password(QStringLiteral("1001")), options);
    const qint64 startMs = startClock.elapsed();
    if (!QTest::qWaitFor([&] { return phone.ready(); }, 10000)) {
        std::fprintf(stderr, "phonebench: %s\n", qPrintable(phone.statusText()));
        return 1;
    }
    const qint64 registeredMs = startClock.elapsed();
    phone.resetLongestStep();
    const double idle = cpuShare(seconds);
    const double idleMiB = residentMiB();

    QList<qint64> ringing;
    for (int i = 0; i < 5; ++i) {
        const QString number = QStringLiteral("1380000%1").arg(1000 + i);
        network.tell(QStringLiteral("mode %1 ring").arg(number));
        phone.dial({0, -1, number});
        (void)QTest::qWaitFor([&] { return phone.phase() == CallPhase::Ringing; }, 5000);
        ringing.append(phone.lastRingDelayMs());
        phone.hangUp();
        (void)QTest::qWaitFor([&] { return !phone.inCall(); }, 5000);
        QTest::qWait(200);
    }
    std::sort(ringing.begin(), ringing.end());

    network.tell(QStringLiteral("mode 13800009999 answer"));
    phone.dial({0, -1, QStringLiteral("13800009999")});
    (void)QTest::qWaitFor([&] { return phone.phase() == CallPhase::Talking; }, 5000);
    const double talking = cpuShare(seconds);
    const double callMiB = residentMiB();
    phone.hangUp();
    (void)QTest::qWaitFor([&] { return !phone.inCall(); }, 5000);

    std::printf("registered, idle            %5.2f %% of one core (%d s)\n", idle, seconds);
    std::printf("in a call (recorded)        %5.2f %% of one core (%d s)\n", talking, seconds);
    std::printf("dial to far end ringing     %lld ms median (%lld-%lld ms over 5)\n", ringing.at(2),
                ringing.first(), ringing.last());
    std::printf("account switched on         %lld ms in the window, registered after %lld ms\n",
                startMs, registeredMs);
    std::printf("longest core iteration      %lld ms (in calls)\n", phone.longestStepMs());
    std::printf("longest event-loop gap      %lld ms (from switching on to the end)\n",
                gaps.longest);
    std::printf("memory added                %.1f MiB registered, %.1f MiB in a call\n",
                idleMiB - baseMiB, callMiB - baseMiB);
    return 0;
}
