#include "app/application.h"
#include "app/backupdialog.h"
#include "common/appsettings.h"
#include "app/mainwindow.h"
#include "app/qtsingleapplication.h"
#include "app/startup.h"
#include "store/customerstore.h"
#include "store/database.h"
#include "store/snapshots.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>

namespace {
QByteArray randomBytes(int size)
{
    // A fixed seed keeps a failure reproducible.
    QRandomGenerator generator(20260307);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file below a folder with the hash of its contents, to see whether
// anything was created, removed or changed.
QMap<QString, QByteArray> folderState(const QString &root)
{
    QMap<QString, QByteArray> state;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        state.insert(path.mid(root.size()),
                     QCryptographicHash::hash(readFile(path), QCryptographicHash::Sha1));
    }
    return state;
}

// A sandbox for the real program: its own working folder, home, settings and
// runtime folder (where the single-instance lock lives), and no display.
class ProgramSandbox
{
public:
    ProgramSandbox()
    {
        for (const char *name : {"work", "second", "home", "config", "runtime", "bin"})
            QDir(m_root.path()).mkpath(QLatin1String(name));
        QFile::setPermissions(path("runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner);
    }

    QString path(const char *name) const { return m_root.filePath(QLatin1String(name)); }

    void prepare(QProcess &process, const char *workingFolder) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), path("home"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path("config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path("runtime"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(path(workingFolder));
        process.setProgram(QStringLiteral(CALLLEDGER_EXE));
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }

private:
    QTemporaryDir m_root;
};

void stop(QProcess &process)
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void emptyFolderGetsANewDatabase()
    {
        TestWorkspace workspace;
        MessageRecorder messages;
        QSettings(QString::fromLatin1(settingsScope), QString::fromLatin1(settingsScope))
            .setValue("customersCount", 7);
        QVERIFY(!QFileInfo::exists(workspace.filePath("mwdb.dat")));

        QVERIFY(loadSettingsAndDatabase());
        QVERIFY(QFileInfo(workspace.filePath("mwdb.dat")).size() > 0);
        QCOMPARE(appSettings.customersCount(), 7);
        // The program's tables and its side tables, the trigram indexes' own left out.
        QCOMPARE(queryValue("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name "
                            "NOT LIKE 'sqlite_%' AND name NOT LIKE '%_grams_%'")
                     .toInt(),
                 32);
        QCOMPARE(messages.count(), 0);
    }

    void qtTextsAreChinese()
    {
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_zh_CN.qm"))
            QSKIP("Qt's Chinese translation is not installed");
        QVERIFY(useChineseLocale());
        // The captions of the message boxes' buttons and the calendar's day names.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "OK"), QString("确定"));
        QCOMPARE(QLocale().dayName(1, QLocale::ShortFormat), QString("周一"));
        QLocale::setDefault(QLocale::c());
    }

    void corruptDatabaseIsRefusedAndLeftAlone()
    {
        TestWorkspace workspace;
        MessageRecorder messages;
        const QString file = workspace.filePath("mwdb.dat");
        const QByteArray junk = randomBytes(8192);
        QVERIFY(writeFile(file, junk));
        const auto before = folderState(workspace.path());

        QVERIFY(!loadSettingsAndDatabase());
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().kind, MessageKind::Warning);
        QCOMPARE(messages.last().title, QStringLiteral("数据库错误"));
        // The box names the file, not just SQLite's complaint.
        QVERIFY2(messages.last().text.startsWith(QFileInfo(file).absoluteFilePath() + "\n"),
                 qPrintable(messages.last().text));

        workspace.closeDatabase();
        QCOMPARE(readFile(file), junk);
        QCOMPARE(folderState(workspace.path()), before);
    }

    void secondInstanceLeavesAtOnce()
    {
        ProgramSandbox sandbox;
        QProcess first;
        sandbox.prepare(first, "work");
        first.start();
        QVERIFY(first.waitForStarted(5000));
        const QString database = sandbox.path("work") + QStringLiteral("/mwdb.dat");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(database).size() > 0, 15000);
        // Past start-up it keeps running in its event loop.
        QTest::qWait(500);
        QCOMPARE(first.state(), QProcess::Running);

        const auto work = folderState(sandbox.path("work"));
        const auto config = folderState(sandbox.path("config"));
        // A copy of the program elsewhere is another program file, but it
        // must not open the same data folder either.
        const QString copy = sandbox.path("bin") + QStringLiteral("/callledger");
        QVERIFY(QFile::copy(QStringLiteral(CALLLEDGER_EXE), copy));
        QVERIFY(QFile::setPermissions(copy, QFile::permissions(QStringLiteral(CALLLEDGER_EXE))));
        const QList<std::pair<const char *, QString>> starts = {{"work", QString()},
                                                                {"work", copy}};
        for (const auto &[folder, program] : starts) {
            QProcess second;
            sandbox.prepare(second, folder);
            if (!program.isEmpty())
                second.setProgram(program);
            second.start();
            QVERIFY(second.waitForStarted(5000));
            const bool ended = second.waitForFinished(5000);
            if (!ended)
                stop(second);
            QVERIFY2(ended, folder);
            QCOMPARE(second.exitStatus(), QProcess::NormalExit);
            QCOMPARE(second.exitCode(), 0);
        }
        // Started on another folder it says where the program runs, on the
        // terminal too, and opens nothing (its box waits for the agent).
        QProcess other;
        sandbox.prepare(other, "second");
        other.setProcessChannelMode(QProcess::SeparateChannels);
        other.start();
        QByteArray said;
        const QString expected = QString("已在 %1 运行, 不能同时打开 %2")
                                     .arg(QFileInfo(sandbox.path("work")).canonicalFilePath(),
                                          QFileInfo(sandbox.path("second")).canonicalFilePath());
        QTRY_VERIFY_WITH_TIMEOUT((said += other.readAllStandardError()).contains(expected.toUtf8()),
                                 10000);
        stop(other);
        // No start opened a database or wrote settings.
        QVERIFY(folderState(sandbox.path("second")).isEmpty());
        QCOMPARE(folderState(sandbox.path("work")), work);
        QCOMPARE(folderState(sandbox.path("config")), config);
        QCOMPARE(first.state(), QProcess::Running);
        stop(first);
    }

    // A logout's SIGTERM, Ctrl+C, a closed terminal: each is a normal end.
    // The file is closed (its log checkpointed away), the marker is gone, so
    // the next start checks nothing, and that start runs instead of handing
    // over to a program that is no more.
    void signalsEndTheProgramCleanly_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void signalsEndTheProgramCleanly()
    {
        QFETCH(int, signal);
        ProgramSandbox sandbox;
        const QString database = sandbox.path("work") + QStringLiteral("/mwdb.dat");
        for (int start = 0; start < 2; ++start) {
            QProcess program;
            sandbox.prepare(program, "work");
            program.start();
            QVERIFY(program.waitForStarted(5000));
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(database + ".running"), 15000);
            QTest::qWait(300);
            QCOMPARE(program.state(), QProcess::Running);
            QCOMPARE(::kill(pid_t(program.processId()), signal), 0);
            const bool ended = program.waitForFinished(5000);
            if (!ended)
                stop(program);
            QVERIFY(ended);
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 0);
            QVERIFY(!QFileInfo::exists(database + ".running"));
            QVERIFY(!QFileInfo::exists(database + "-wal"));
        }
        QProcess check;
        check.start("sqlite3", {database, "PRAGMA quick_check"});
        QVERIFY(check.waitForFinished(10000));
        QCOMPARE(check.readAllStandardOutput().trimmed(), QByteArray("ok"));
    }

    // The data folder is the agent's and others may write to it: a library
    // planted there under a driver's name must never run.
    void pluginsPlantedInTheDataFolderAreNeverLoaded()
    {
        ProgramSandbox sandbox;
        const QString work = sandbox.path("work");
        for (const char *name : {"sqldrivers/libqsqlite.so", "sqldrivers/sqldrivers/libqsqlite.so",
                                 "sqldrivers/qsqlite.so", "libqsqlite.so"}) {
            const QString path = work + '/' + QLatin1String(name);
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QVERIFY(QFile::copy(QStringLiteral(PLANTED_LIBRARY), path));
        }
        const QString mark = sandbox.path("home") + QStringLiteral("/loaded");
        QProcess program;
        sandbox.prepare(program, "work");
        QProcessEnvironment env = program.processEnvironment();
        env.insert(QStringLiteral("CALLLEDGER_PLANTED_MARK"), mark);
        program.setProcessEnvironment(env);
        program.start();
        QVERIFY(program.waitForStarted(5000));
        // Past the driver: the file is created through Qt's own SQLite driver.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(work + QStringLiteral("/mwdb.dat")).size() > 0, 15000);
        QTest::qWait(300);
        stop(program);
        QVERIFY(!QFileInfo::exists(mark));
    }

    // The real start-up sequence, in this process, with boxes recorded.
    void runsToTheMainWindowAndClosesTheDatabaseAfterwards()
    {
        TestWorkspace workspace;
        MessageRecorder messages;
        QString title;
        QTimer::singleShot(0, this, [&] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (auto *window = qobject_cast<MainWindow *>(widget)) {
                    title = window->windowTitle();
                    window->close();
                }
            }
        });
        QCOMPARE(runApplication(*qobject_cast<QtSingleApplication *>(qApp)), 0);
        QCOMPARE(title, "Vantoro电话营销软件 v1.08 - " + QDir::currentPath());
        QCOMPARE(messages.count(), 0);
        QVERIFY(QFileInfo(workspace.filePath("mwdb.dat")).size() > 0);
        QVERIFY(!QSqlDatabase::database(QSqlDatabase::defaultConnection, false).isOpen());
        QLocale::setDefault(QLocale::c());
    }

    void corruptDatabaseEndsWithCodeOneBeforeAnyWindow()
    {
        TestWorkspace workspace;
        MessageRecorder messages;
        const QString file = workspace.filePath("mwdb.dat");
        const QByteArray junk = randomBytes(8192);
        QVERIFY(writeFile(file, junk));
        bool windowSeen = false;
        // Would close a main window that should never have been made.
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (qobject_cast<MainWindow *>(widget)) {
                    windowSeen = true;
                    widget->close();
                }
            }
        });
        watch.start(0);

        QCOMPARE(runApplication(*qobject_cast<QtSingleApplication *>(qApp)), 1);
        QVERIFY(!windowSeen);
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().title, QString("数据库错误"));
        workspace.closeDatabase();
        QCOMPARE(readFile(file), junk);
        QLocale::setDefault(QLocale::c());
    }

    void damagedDatabaseOffersTheNewestSnapshot_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("restore") << true;
        QTest::newRow("decline") << false;
    }

    void damagedDatabaseOffersTheNewestSnapshot()
    {
        QFETCH(bool, accept);
        TestWorkspace workspace;
        MessageRecorder messages;
        QVERIFY(workspace.openDatabase());
        QVERIFY(addCustomer("张三", 1, "1980-01-01", "1", "", "", "", ""));
        for (int day : {1, 2}) {
            SnapshotJob job;
            QVERIFY(job.begin(QDateTime(QDate(2026, 3, day), QTime(8, 0))));
            QVERIFY(job.runToEnd());
        }
        workspace.closeDatabase();
        const QString file = workspace.filePath("mwdb.dat");
        const QByteArray junk = randomBytes(8192);
        QVERIFY(writeFile(file, junk));

        messages.answerNext(accept ? QMessageBox::Yes : QMessageBox::No);
        QTimer::singleShot(0, this, [] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (qobject_cast<MainWindow *>(widget))
                    widget->close();
            }
        });
        QCOMPARE(runApplication(*qobject_cast<QtSingleApplication *>(qApp)), accept ? 0 : 1);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(messages.count(), 2);
        QCOMPARE(messages.messages().at(0).title, QString("数据库错误"));
        QCOMPARE(messages.last().kind, MessageKind::Question);
        QVERIFY2(messages.last().text.contains("2026-03-02 08:00:00"),
                 qPrintable(messages.last().text));
        QCOMPARE(messages.last().defaultButton, QMessageBox::No);

        workspace.closeDatabase();
        // The damaged bytes are never lost, whatever the answer.
        QCOMPARE(readFile(accept ? file + ".damaged" : file), junk);
        if (accept) {
            QVERIFY(workspace.openDatabase());
            QCOMPARE(queryValue("SELECT count(*) FROM customers").toInt(), 1);
        }
    }

    // Said in the status bar and the backup window, never in a box: a file where the backups
    // go, damage found by the check in the background (the next start checks again).
    void startUpSaysTroublesInTheStatusBar()
    {
        TestWorkspace workspace;
        MessageRecorder messages;
        QVERIFY(workspace.openDatabase());
        // Orders make the bulk of the file: the damage below hits their pages.
        QVERIFY(execSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                        "WHERE i < 30000) INSERT INTO customers_orders(customer_id, add_time, "
                        "product_id, amount, money, memo) SELECT i, i, 'A', 1, 1, hex(i) FROM n"));
        QVERIFY(execSql("PRAGMA wal_checkpoint(TRUNCATE)"));
        workspace.closeDatabase();
        QVERIFY(QFile(workspace.filePath("backups")).open(QIODevice::WriteOnly));
        QFile file(workspace.filePath("mwdb.dat"));
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(file.size() / 2) &&
                file.write(QByteArray(8192, '\x5a')) == 8192);
        file.close();

        // A closing timer an earlier test left unfired must not close this window.
        QCoreApplication::processEvents();
        QString notice, dialogText;
        QTimer poll;
        int polls = 0;
        connect(&poll, &QTimer::timeout, this, [&] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *window = qobject_cast<MainWindow *>(widget);
                auto *label = window ? window->findChild<QLabel *>("statusNoticeLabel") : nullptr;
                if (!label || (!label->text().contains("数据文件已损坏") && ++polls < 750))
                    continue;
                notice = label->text();
                dialogText = BackupDialog(window).findChild<QLabel *>("labelProblems")->text();
                window->close();
            }
        });
        poll.start(20);
        QCOMPARE(runApplication(*qobject_cast<QtSingleApplication *>(qApp)), 0);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(messages.count(), 0);
        QVERIFY2(notice.contains("数据文件已损坏") && notice.contains("同名文件") &&
                     dialogText.contains("同名文件"),
                 qPrintable(notice + '\n' + dialogText));
        QVERIFY(QFileInfo::exists(runningMarkerPath()));
    }

    // Where a virtual X server is at hand, look at the windows themselves:
    // the warning box is up and the main window never appeared.
    void corruptDatabaseShowsOnlyTheWarning()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        const QString xwininfo = QStandardPaths::findExecutable(QStringLiteral("xwininfo"));
        if (xvfb.isEmpty() || xwininfo.isEmpty())
            QSKIP("needs Xvfb and xwininfo");

        QProcess server;
        server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QVERIFY(server.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(server.canReadLine(), 10000);
        const QString display = QLatin1Char(':') + QString::fromLatin1(server.readLine().trimmed());

        ProgramSandbox sandbox;
        const QString database = sandbox.path("work") + QStringLiteral("/mwdb.dat");
        const QByteArray junk = randomBytes(4096);
        QVERIFY(writeFile(database, junk));
        QProcess program;
        sandbox.prepare(program, "work");
        QProcessEnvironment env = program.processEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), display);
        program.setProcessEnvironment(env);

        const auto windowNames = [&] {
            QProcess info;
            info.setProcessEnvironment(env);
            info.start(xwininfo, {QStringLiteral("-root"), QStringLiteral("-tree")});
            info.waitForFinished(5000);
            return QString::fromUtf8(info.readAllStandardOutput());
        };
        program.start();
        QVERIFY(program.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(windowNames().contains(QStringLiteral("\"数据库错误\"")), 15000);
        QVERIFY(!windowNames().contains(QStringLiteral("Vantoro电话营销软件")));
        QCOMPARE(program.state(), QProcess::Running);

        stop(program);
        server.terminate();
        server.waitForFinished(5000);
        QCOMPARE(readFile(database), junk);
    }
};

CALLLEDGER_TEST_MAIN(TestStartup, QtSingleApplication)
#include "tst_startup.moc"
