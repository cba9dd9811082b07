// Renders the main window and every dialog to PNG files, on a sample
// database in a temporary folder, at a fixed time, without a display.
//
//   screenshots <output folder>

#include "common/appsettings.h"
#include "common/dateutils.h"
#include "app/mainwindow.h"
#include "widgets/messageboxes.h"
#include "app/startup.h"
#include "sampledata.h"
#include "shots.h"
#include "store/database.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {
void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

bool render(QWidget *widget, const QString &path)
{
    widget->show();
    settle();
    const bool saved = widget->grab().save(path, "PNG");
    widget->hide();
    return saved;
}

void prepareEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform finds fonts here; the Chinese texts need them.
    const QByteArray fonts = "/usr/share/fonts/truetype/wqy";
    if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR") && QFile::exists(QString::fromLatin1(fonts)))
        qputenv("QT_QPA_FONTDIR", fonts);
}
} // namespace

int main(int argc, char *argv[])
{
    prepareEnvironment();
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: screenshots <output folder>\n";
        return 2;
    }
    const QDir output(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    if (!QDir().mkpath(output.path())) {
        err << "cannot create " << output.path() << "\n";
        return 1;
    }

    useChineseLocale();

    // A box would wait for a click nobody gives; note it and carry on.
    setMessagePresenter([&err](const MessageRequest &request) {
        err << "message box: " << request.title << ": " << request.text << "\n";
        err.flush();
        return request.kind == MessageKind::Question ? QMessageBox::No : QMessageBox::Ok;
    });
    installStoreWarningBoxes();

    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path())) {
        err << "cannot create a working folder\n";
        return 1;
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.path());
    loadSettings(appSettings);
    appSettings.setRegion(QStringLiteral("北京"));

    Clock::setFixedNow(QDateTime(QDate(2026, 3, 7), QTime(10, 30, 0)));
    if (!initDatabase() || !fillSampleData()) {
        err << "cannot prepare the sample database\n";
        return 1;
    }

    int failures = 0;
    {
        MainWindow window;
        window.TimerProc();
        if (!render(&window, output.filePath(QStringLiteral("mainwindow.png"))))
            ++failures;
        for (const Shot &shot : allShots()) {
            std::unique_ptr<QWidget> widget = shot.make(&window);
            const QString path = output.filePath(shot.name + QStringLiteral(".png"));
            if (!render(widget.get(), path)) {
                err << "cannot save " << path << "\n";
                ++failures;
            }
        }
    }
    closeDatabase();
    QDir::setCurrent(QDir::tempPath());
    return failures == 0 ? 0 : 1;
}
