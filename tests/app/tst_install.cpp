#include "app/datahome.h"
#include "support/testmain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
// Owner, group and others as in 0777 and 0755 (Qt's "user" bits repeat the owner's).
constexpr QFileDevice::Permissions anyMode(0x7077);
constexpr QFileDevice::Permissions openMode(0x7055);
const QString appId = QStringLiteral("com.vantoro.CallLedger");

// Runs a tool to its end: its exit code (-1 when it did not run) and output.
std::pair<int, QString> run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, program + ": " + process.errorString()};
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

// The unlocalised value of a key of a desktop entry.
QString desktopValue(const QString &path, const QString &key)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly | QIODevice::Text);
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(key.toUtf8() + '='))
            return QString::fromUtf8(line.mid(key.size() + 1));
    }
    return QString();
}
} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const auto [code, output] =
            run(CMAKE_COMMAND, {"--install", BUILD_DIR, "--prefix", m_prefix.path()});
        QVERIFY2(code == 0, qPrintable(output));
    }

    void installTreeHoldsProgramEntryIconsAndMetainfo_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("pixels"); // 0: not a bitmap
        QTest::newRow("program") << "bin/callledger" << 0;
        QTest::newRow("entry") << "share/applications/" + appId + ".desktop" << 0;
        QTest::newRow("metainfo") << "share/metainfo/" + appId + ".metainfo.xml" << 0;
        QTest::newRow("scalable") << "share/icons/hicolor/scalable/apps/" + appId + ".svg" << 0;
        QTest::newRow("48") << "share/icons/hicolor/48x48/apps/" + appId + ".png" << 48;
        QTest::newRow("256") << "share/icons/hicolor/256x256/apps/" + appId + ".png" << 256;
        QTest::newRow("copyright") << "share/doc/callledger/copyright" << 0;
        QTest::newRow("changelog") << "share/doc/callledger/changelog.Debian.gz" << 0;
    }

    void installTreeHoldsProgramEntryIconsAndMetainfo()
    {
        QFETCH(QString, path);
        QFETCH(int, pixels);
        const QFileInfo file(m_prefix.filePath(path));
        QVERIFY2(file.isFile() && file.size() > 0, qPrintable(file.filePath()));
        // Everybody may read what is installed; only the program is run.
        QVERIFY(file.permissions() & QFileDevice::ReadOther);
        QCOMPARE(bool(file.permissions() & QFileDevice::ExeOther), path.startsWith("bin/"));
        if (pixels > 0)
            QCOMPARE(QImage(file.filePath()).size(), QSize(pixels, pixels));
    }

    void desktopEntryStartsTheInstalledProgramInItsDataFolder()
    {
        const QString entry = m_prefix.filePath("share/applications/" + appId + ".desktop");
        const auto [code, output] = run("desktop-file-validate", {entry});
        QVERIFY2(code == 0 && output.isEmpty(), qPrintable(output));
        const QStringList command = desktopValue(entry, "Exec").split(' ');
        QCOMPARE(command, QStringList({"callledger", dataHomeOption}));
        QVERIFY(QFileInfo(m_prefix.filePath("bin/" + command.first())).isExecutable());
        QCOMPARE(desktopValue(entry, "Icon"), appId);
    }

    // validate-tree also checks that the launchable names an installed entry.
    void metainfoValidates()
    {
        const QString metainfo = m_prefix.filePath("share/metainfo/" + appId + ".metainfo.xml");
        for (const QStringList &arguments :
             {QStringList{"validate", "--no-net", metainfo},
              QStringList{"validate-tree", "--no-net", m_prefix.path()}}) {
            const auto [code, output] = run("appstreamcli", arguments);
            QVERIFY2(code == 0, qPrintable(output));
        }
    }

    void dataHomeOptionStartsInAnOwnerOnlyFolder_data()
    {
        QTest::addColumn<QString>("xdgDataHome"); // below the sandbox unless empty or relative
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("existsOpen"); // the folder is there already, mode 0755
        QTest::newRow("xdg data home") << "/data"
                                       << "data/CallLedger" << false;
        QTest::newRow("empty") << ""
                               << "home/.local/share/CallLedger" << false;
        QTest::newRow("relative is ignored") << "data"
                                             << "home/.local/share/CallLedger" << false;
        QTest::newRow("existing open folder") << "/data"
                                              << "data/CallLedger" << true;
    }

    void dataHomeOptionStartsInAnOwnerOnlyFolder()
    {
        QFETCH(QString, xdgDataHome);
        QFETCH(QString, expected);
        QFETCH(bool, existsOpen);
        QTemporaryDir root;
        for (const char *name : {"work", "home", "config", "runtime"})
            QVERIFY(QDir(root.path()).mkpath(name));
        QFile::setPermissions(root.filePath("runtime"), ownerOnly);
        const QString folder = root.filePath(expected);
        if (existsOpen)
            QVERIFY(QDir().mkpath(folder) && QFile::setPermissions(folder, openMode));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", root.filePath("home"));
        env.insert("XDG_CONFIG_HOME", root.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", root.filePath("runtime"));
        env.insert("XDG_DATA_HOME",
                   xdgDataHome.startsWith('/') ? root.path() + xdgDataHome : xdgDataHome);
        QProcess program;
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(root.filePath("work"));
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(CALLLEDGER_EXE, {dataHomeOption});
        const QString database = folder + "/mwdb.dat";
        QTRY_VERIFY_WITH_TIMEOUT(
            QFileInfo(database).size() > 0 || program.state() == QProcess::NotRunning, 15000);
        const bool running = program.state() == QProcess::Running;
        program.kill();
        program.waitForFinished(5000);
        QVERIFY2(running, "the program ended instead of opening its window");
        QCOMPARE(QFile::permissions(folder) & anyMode, ownerOnly);
        QVERIFY(QDir(root.filePath("work"))
                    .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }

    // A file where the folder belongs: refused with a text naming the folder,
    // and nothing changes.
    void dataHomeInTheWayIsReported()
    {
        QTemporaryDir root;
        const QByteArray previous = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.path()));
        QFile file(root.filePath("CallLedger"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("notes") == 5);
        file.close();
        const QString before = QDir::currentPath();
        QString error;
        const bool entered = enterDataHome(&error);
        previous.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", previous);
        QVERIFY(!entered);
        QVERIFY2(error.contains(file.fileName()), qPrintable(error));
        QCOMPARE(QDir::currentPath(), before);
        QCOMPARE(file.size(), 5);
    }

private:
    QTemporaryDir m_prefix;
};

CALLLEDGER_TEST_MAIN(TestInstall, QApplication)
#include "tst_install.moc"
