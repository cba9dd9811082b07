#include "exchange/listexport.h"
#include "store/helperstore.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

// Exports hold personal data and go where the agent pointed, and nowhere
// else: never through a link planted beside the target, never onto what is
// not a regular file, owner-only when new.
class TestExportFiles : public QObject
{
    Q_OBJECT

private slots:
    void exportsWriteOnlyTheChosenRegularFile_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("written");
        QTest::addColumn<int>("mode");
        for (const QString suffix : {"csv", "xlsx"}) {
            const auto row = [&](const char *setup, bool written, int mode) {
                QTest::addRow("%s %s", qPrintable(suffix), setup)
                    << suffix << QString::fromLatin1(setup) << written << mode;
            };
            row("new file", true, 0600);
            row("existing 0644 file", true, 0644);
            row("planted part link", true, 0600);
            row("link to a regular file", true, 0640);
            row("link to a fifo", false, 0);
            for (const char *file :
                 {"link to mwdb.dat", "link to mwdb.dat-wal", "link to mwdb.dat-journal"})
                row(file, false, 0);
            // Another's link in a sticky folder (/tmp); not as root: a link others can swap.
            row("sticky folder, planted link", false, 0);
            row("link into another user's writable folder", false, 0);
        }
    }

    void exportsWriteOnlyTheChosenRegularFile()
    {
        QFETCH(QString, suffix);
        QFETCH(QString, setup);
        QFETCH(bool, written);
        QFETCH(int, mode);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(addHelper(QString("张伟"), 1, "1980-01-01", "13800000001", "", "", "", "", 1));
        const QString shared = workspace.filePath("shared"), data = workspace.filePath("mwdb.dat");
        const bool root = ::geteuid() == 0, sticky = setup.contains("sticky");
        const QString target = (sticky ? shared : workspace.path()) + "/list." + suffix;
        const QString victim = (setup.contains("writable") ? shared : workspace.path()) + "/victim";
        QVERIFY(QDir().mkpath(shared) && QFile::setPermissions(shared, QFile::Permissions(0x7777)));
        QVERIFY(!root || ::chown(QFile::encodeName(shared).constData(), 65534, 65534) == 0);
        QVERIFY(!sticky || !root || ::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
        QVERIFY(writeBytes(victim, "victim"));
        QFile::setPermissions(victim, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        const QByteArray path = QFile::encodeName(target);
        if (setup.startsWith("existing")) {
            QVERIFY(writeBytes(target, "old"));
            QCOMPARE(::chmod(path.constData(), 0644), 0);
        } else if (setup == "planted part link") {
            // Another user's link under the name an earlier version wrote to.
            QVERIFY(QFile::link(victim, target + ".part"));
        } else if (setup == "link to a regular file" || setup.contains("folder")) {
            QVERIFY(QFile::link(victim, target));
            QVERIFY(!sticky || !root || ::lchown(path.constData(), 65534, 65534) == 0);
        } else if (setup.startsWith("link to mwdb")) {
            QVERIFY(QFile::link(workspace.filePath(setup.mid(8)), target));
        } else if (setup == "link to a fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(victim + ".fifo").constData(), 0600), 0);
            QVERIFY(QFile::link(victim + ".fifo", target));
        }

        const ExportResult result = exportList(exportSource(ExportList::Recruits), target,
                                               [](qint64, qint64) { return true; });
        QCOMPARE(result.outcome, written ? ExportResult::Done : ExportResult::Failed);
        QVERIFY(readBytes(data).startsWith("SQLite format 3") && !QFile::exists(data + "-journal"));
        QCOMPARE(queryValue("SELECT count(*) FROM helpers").toInt(), 1);
        QCOMPARE(QDir(workspace.path()).entryList({".list.*"}, QDir::Files | QDir::Hidden),
                 QStringList());
        const bool viaLink = setup == "link to a regular file";
        if (!written && !setup.contains("fifo"))
            QVERIFY2(result.error.contains(QFileInfo(target).fileName()), qPrintable(result.error));
        QCOMPARE(readBytes(victim) == "victim", !viaLink);
        if (!written)
            return;
        const QString file = viaLink ? victim : target;
        QVERIFY(QFileInfo(target).isSymLink() == viaLink);
        QVERIFY(readBytes(file).size() > 100);
        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 07777), mode);
    }

private:
    static bool writeBytes(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    static QByteArray readBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

CALLLEDGER_TEST_MAIN(TestExportFiles, QCoreApplication)
#include "tst_exportfiles.moc"
