// Times the start-up of the program up to its visible main window, the way
// runApplication does it (settings, data file, window), side by side on an
// empty folder (a new file each run) and on a folder holding a large
// mwdb.dat (storebench --generate-only makes one), and once more on the
// large file as after an abrupt end, when the whole file is checked first.
// Runs alternate between the folders; the medians are printed.
//
//   startupbench <empty folder> <folder holding mwdb.dat> [--runs n]

#include "app/mainwindow.h"
#include "app/startup.h"
#include "store/database.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QTextStream>
#include <QWindow>

#include <algorithm>

namespace {
// Notes the moment the window is first exposed, before anything queued
// behind that event runs.
class ExposeWatch : public QObject
{
public:
    ExposeWatch(const QElapsedTimer &timer) : m_timer(timer) {}
    double at = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (at < 0 && event->type() == QEvent::Expose &&
            static_cast<QWindow *>(watched)->isExposed())
            at = double(m_timer.nsecsElapsed()) / 1e6;
        return false;
    }

private:
    const QElapsedTimer &m_timer;
};

// Milliseconds from nothing open to an exposed main window; -1 on failure.
double startOnce(const QString &folder, bool asAfterAbruptEnd)
{
    if (!QDir::setCurrent(folder))
        return -1;
    if (asAfterAbruptEnd) {
        QFile marker(runningMarkerPath());
        marker.open(QIODevice::WriteOnly);
    }
    QElapsedTimer timer;
    timer.start();
    double elapsed = -1;
    if (loadSettingsAndDatabase()) {
        MainWindow window;
        ExposeWatch watch(timer);
        window.winId();
        window.windowHandle()->installEventFilter(&watch);
        window.show();
        while (watch.at < 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        elapsed = watch.at;
        window.close();
    }
    closeDatabase();
    QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
    return elapsed;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

void removeDataFile(const QString &folder)
{
    for (const char *suffix : {"", "-wal", "-shm", ".running"})
        QFile::remove(folder + QLatin1Char('/') + QLatin1String(databaseFileName) +
                      QLatin1String(suffix));
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QStringList args = app.arguments();
    int runs = 7;
    if (const int at = int(args.indexOf(QStringLiteral("--runs")));
        at > 0 && at + 1 < args.size()) {
        runs = std::max(1, args.at(at + 1).toInt());
        args.remove(at, 2);
    }
    if (args.size() != 3) {
        out << "usage: startupbench <empty folder> <folder holding mwdb.dat> [--runs n]\n";
        return 2;
    }
    const QString empty = QDir(args.at(1)).absolutePath();
    const QString large = QDir(args.at(2)).absolutePath();
    if (!QFile::exists(large + QLatin1Char('/') + QLatin1String(databaseFileName))) {
        out << "no " << databaseFileName << " in " << large << "\n";
        return 2;
    }
    QList<double> emptyTimes, largeTimes, checkedTimes;
    // One start of each first, unmeasured: Qt's own first-use costs.
    removeDataFile(empty);
    startOnce(empty, false);
    startOnce(large, false);
    for (int run = 0; run < runs; ++run) {
        removeDataFile(empty);
        emptyTimes << startOnce(empty, false);
        largeTimes << startOnce(large, false);
        checkedTimes << startOnce(large, true);
    }
    const double base = median(emptyTimes);
    const auto line = [&](const char *label, const QList<double> &times) {
        const double value = median(times);
        out << label << QString::number(value, 'f', 1) << " ms  ("
            << QString::number(value / base, 'f', 2) << "x)\n";
    };
    out << "median of " << runs << " starts to the visible main window\n";
    line("empty folder, new file           ", emptyTimes);
    line("large file                       ", largeTimes);
    line("large file after an abrupt end   ", checkedTimes);
    return std::min({base, median(largeTimes), median(checkedTimes)}) < 0 ? 1 : 0;
}
