// Opens the abandoned-prospect list on an existing mwdb.dat, offscreen, and
// prints how long it took to open and to scroll to the end, and the peak
// resident memory of the process.
//
//   listbench <folder holding mwdb.dat>

#include "prospects/uselesscustomersdialog.h"
#include "store/database.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTableView>
#include <QTextStream>

#include <sys/resource.h>

namespace {
long peakResidentMiB()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    if (argc != 2 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        out << "usage: listbench <folder holding mwdb.dat>\n";
        return 2;
    }
    if (!initDatabase())
        return 1;
    out << "after start-up     " << peakResidentMiB() << " MiB peak\n";
    int rows = 0;
    {
        QElapsedTimer timer;
        timer.start();
        UselessCustomersDialog dialog;
        dialog.show();
        QCoreApplication::processEvents();
        out << "abandoned list     opened in " << timer.elapsed() << " ms, " << peakResidentMiB()
            << " MiB peak\n";
        auto *view = dialog.findChild<QTableView *>(QStringLiteral("tableView"));
        timer.restart();
        for (int i = 0; i < 20; ++i) {
            view->scrollToBottom();
            QCoreApplication::processEvents();
        }
        rows = view->model()->rowCount();
        out << "scrolled 20 times  " << rows << " rows in " << timer.elapsed() << " ms, "
            << peakResidentMiB() << " MiB peak\n";
    }
    closeDatabase();
    return 0;
}
