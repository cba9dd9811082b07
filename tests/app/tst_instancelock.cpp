#include "app/instancelock.h"
#include "support/testmain.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
