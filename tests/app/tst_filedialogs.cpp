#include "common/appsettings.h"
#include "exchange/importpeopledialog.h"
#include "orders/customerordersdialog.h"
#include "prospects/customersdialog.h"
#include "store/customerstore.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "team/helperdialog.h"
#include "team/teammatedialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The POSIX locks this process holds on the file, as the kernel lists them
// ("1: POSIX  ADVISORY  READ 4321 08:01:131 128 128").
int locksHeld(const QString &path)
{
    struct stat info;
    QFile locks("/proc/locks");
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !locks.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray inode = ':' + QByteArray::number(qulonglong(info.st_ino));
    const QByteArray pid = QByteArray::number(::getpid());
    int count = 0;
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 8 && fields[1] == "POSIX" && fields[4] == pid &&
            fields[5].endsWith(inode))
            ++count;
    }
    return count;
}

struct Opener
{
    std::function<QDialog *()> make;
    const char *button;
};

const QList<Opener> &openers()
{
    static const QList<Opener> list{
        {[] { return new ImportPeopleDialog(PersonTable::Customers); }, "pushButtonBrowse"},
        {[] { return new CustomersDialog; }, "pushButtonExport"},
        {[] { return new HelperDialog; }, "pushButtonExport"},
        {[] { return new TeammateDialog; }, "pushButtonExport"},
        {[] { return new CustomerOrdersDialog; }, "pushButtonExport"},
    };
    return list;
}
} // namespace

class TestFileDialogs : public QObject
{
    Q_OBJECT

private slots:
    // Each file dialog of the program opened, led into the data folder until
    // it has listed mwdb.dat, and cancelled: SQLite's locks are still held,
    // and another program opening and closing the file leaves the log alone.
    void fileDialogsKeepTheDatabaseLocks_data()
    {
        QTest::addColumn<int>("opener");
        const char *names[] = {"import 浏览...", "prospects 导出...", "recruits 导出...",
                               "team 导出...", "orders 导出..."};
        for (int i = 0; i < openers().size(); ++i)
            QTest::newRow(names[i]) << i;
    }

    void fileDialogsKeepTheDatabaseLocks()
    {
        QFETCH(int, opener);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        MessageRecorder messages;
        QVERIFY(addCustomer("张三", 1, "1980-01-01", "13800000001", {}, {}, {}, {}));
        // The data folder as the last folder used: the dialog must start elsewhere.
        setDesktopSetting(DesktopSetting::lastFileFolder, workspace.path());
        const QString data = workspace.filePath("mwdb.dat");
        const int locks = locksHeld(data);
        const int shmLocks = locksHeld(data + "-shm");
        QVERIFY(locks > 0 && shmLocks > 0);

        const std::unique_ptr<QDialog> dialog(openers().at(opener).make());
        dialog->show();
        QString startedIn;
        bool listed = false;
        QTimer::singleShot(0, this, [&] {
            auto *files = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!files)
                return;
            startedIn = files->directory().absolutePath();
            files->setNameFilter("*");
            files->setDirectory(workspace.path());
            auto *model = files->findChild<QFileSystemModel *>();
            QTRY_VERIFY(model->index(data + "-shm").isValid());
            QTest::qWait(200); // for the icons and types gathered in the background
            listed = !model->fileIcon(model->index(data)).isNull() &&
                     !model->type(model->index(data)).isEmpty();
            files->reject();
        });
        dialog->findChild<QPushButton *>(openers().at(opener).button)->click();
        QVERIFY(listed);
        QVERIFY(!startedIn.isEmpty() && startedIn != workspace.path());
        QCOMPARE(locksHeld(data), locks);
        QCOMPARE(locksHeld(data + "-shm"), shmLocks);
        QProcess other;
        other.start("sqlite3", {data, "SELECT count(*) FROM customers;"});
        QVERIFY(other.waitForFinished());
        QCOMPARE(other.readAllStandardOutput().trimmed(), "1");
        QVERIFY(QFile::exists(data + "-wal"));
        QCOMPARE(messages.count(), 0);
    }
};

CALLLEDGER_TEST_MAIN(TestFileDialogs, QApplication)
#include "tst_filedialogs.moc"
