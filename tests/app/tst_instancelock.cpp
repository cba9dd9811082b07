#include "app/instancelock.h"
#include "support/testmain.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestInstanceLock : public QObject
{
    Q_OBJECT

private slots:
    void onlyALiveHolderMeansRunning()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("app.lock");
        InstanceLock first(path);
        QCOMPARE(first.acquire(), InstanceLock::State::Acquired);
        InstanceLock second(path);
        QCOMPARE(second.acquire(), InstanceLock::State::HeldByLiveProcess);
        QVERIFY(second.errorText().isEmpty());
    }

    void lockThatCannotBeCreatedIsAnError_data()
    {
        QTest::addColumn<QString>("blocker");
        // A folder where the lock file belongs, and a lock folder that is a file.
        QTest::newRow("folder in the way") << QString("app.lock/");
        QTest::newRow("parent is a file") << QString("parent");
    }

    void lockThatCannotBeCreatedIsAnError()
    {
        QFETCH(QString, blocker);
        QTemporaryDir folder;
        QString path = folder.filePath("app.lock");
        if (blocker.endsWith('/')) {
            QVERIFY(QDir(folder.path()).mkdir(blocker));
        } else {
            QFile file(folder.filePath(blocker));
            QVERIFY(file.open(QIODevice::WriteOnly));
            path = folder.filePath(blocker + "/app.lock");
        }
        InstanceLock lock(path);
        QCOMPARE(lock.acquire(), InstanceLock::State::Failed);
        QVERIFY2(lock.errorText().contains(path), qPrintable(lock.errorText()));
    }

    // A planted lock in a folder others can write kept the program from ever
    // starting; the locks and sockets live where only the user can write.
    void locksLiveWhereOnlyTheUserCanWrite_data()
    {
        QTest::addColumn<int>("runtimeMode"); // 0: XDG_RUNTIME_DIR unset
        QTest::addColumn<int>("plantedCacheMode"); // 0: nothing planted
        QTest::addColumn<QString>("expected");
        QTest::newRow("private runtime") << 0700 << 0 << "runtime";
        QTest::newRow("shared runtime") << 01777 << 0 << "cache";
        QTest::newRow("no runtime") << 0 << 0 << "cache";
        QTest::newRow("own folder opened to others") << 01777 << 0777 << "";
    }

    void locksLiveWhereOnlyTheUserCanWrite()
    {
        QFETCH(int, runtimeMode);
        QFETCH(int, plantedCacheMode);
        QFETCH(QString, expected);
        QTemporaryDir root;
        const QString runtime = root.filePath("runtime");
        const QString own = root.filePath("cache/callledger-run");
        QVERIFY(QDir().mkpath(runtime));
        QCOMPARE(::chmod(QFile::encodeName(runtime).constData(), mode_t(runtimeMode)), 0);
        if (plantedCacheMode) {
            QVERIFY(QDir().mkpath(own));
            QCOMPARE(::chmod(QFile::encodeName(own).constData(), mode_t(plantedCacheMode)), 0);
        }
        const QByteArray previous = qgetenv("XDG_RUNTIME_DIR");
        runtimeMode ? qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime))
                    : qunsetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(root.filePath("cache")));
        QString error;
        const QString folder = privateRuntimeFolder(&error);
        qputenv("XDG_RUNTIME_DIR", previous);
        qunsetenv("XDG_CACHE_HOME");

        const QMap<QString, QString> paths = {{"runtime", runtime}, {"cache", own}, {"", ""}};
        QCOMPARE(folder, paths.value(expected));
        QCOMPARE(error.isEmpty(), !expected.isEmpty());
        if (!folder.isEmpty())
            QVERIFY(isPrivateFolder(folder));
    }

    void lockOfAnotherUserIsAnError()
    {
        if (::getuid() != 0)
            QSKIP("only root can give a file to another user");
        QTemporaryDir folder;
        const QString path = folder.filePath("app.lock");
        {
            QFile planted(path);
            QVERIFY(planted.open(QIODevice::WriteOnly));
            // Our own live pid: without the owner check it would read as "running".
            planted.write(QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                          QCoreApplication::applicationName().toUtf8() + '\n' +
                          QSysInfo::machineHostName().toUtf8() + '\n');
        }
        QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        InstanceLock lock(path);
        QCOMPARE(lock.acquire(), InstanceLock::State::Failed);
        QVERIFY2(lock.errorText().contains("另一个用户"), qPrintable(lock.errorText()));
    }

    void keysFollowTheCanonicalDataFolder()
    {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir("data"));
        QVERIFY(QFile::link(folder.filePath("data"), folder.filePath("alias")));
        QCOMPARE(dataFolderInstanceKey(folder.filePath("alias")),
                 dataFolderInstanceKey(folder.filePath("data")));
        QCOMPARE(dataFolderInstanceKey(folder.filePath("data/../data")),
                 dataFolderInstanceKey(folder.filePath("data")));
        QVERIFY(programInstanceKey("/opt/a/callledger") != programInstanceKey("/opt/b/callledger"));
    }
};

CALLLEDGER_TEST_MAIN(TestInstanceLock, QCoreApplication)
#include "tst_instancelock.moc"
