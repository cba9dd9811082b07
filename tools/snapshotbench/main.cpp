// Times a snapshot of an existing mwdb.dat the way the program takes it at
// start-up: a few hundred pages a step from the event loop, the final flush to
// disk on a thread. Prints the total time and the longest the event loop went
// without turning, which is the longest the window would stall.
//
//   snapshotbench <folder holding mwdb.dat>

#include "store/database.h"
#include "store/snapshots.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    if (argc != 2 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        out << "usage: snapshotbench <folder holding mwdb.dat>\n";
        return 2;
    }
    if (!initDatabase())
        return 1;

    // A timer that fires whenever the loop is free: the gaps between its
    // ticks are the pauses the window would see.
    QElapsedTimer sinceTick;
    qint64 longestPause = 0;
    QTimer heartbeat;
    heartbeat.setInterval(0);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longestPause = std::max(longestPause, sinceTick.nsecsElapsed());
        sinceTick.restart();
    });

    SnapshotJob job;
    QElapsedTimer total;
    QObject::connect(&job, &SnapshotJob::finished, [&](bool ok) {
        out << (ok ? "snapshot  " : "FAILED  ") << job.path() << "\n"
            << "size      " << QFileInfo(job.path()).size() / (1024 * 1024) << " MiB\n"
            << "total     " << total.elapsed() << " ms\n"
            << "longest pause of the event loop  "
            << QString::number(double(longestPause) / 1e6, 'f', 1) << " ms\n";
        app.exit(ok ? 0 : 1);
    });
    total.start();
    if (!job.begin(QDateTime::currentDateTime())) {
        out << job.errorText() << "\n";
        return 1;
    }
    sinceTick.start();
    heartbeat.start();
    job.runInBackground();
    const int result = app.exec();
    closeDatabase();
    return result;
}
