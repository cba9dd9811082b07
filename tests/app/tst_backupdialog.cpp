#include "app/backupdialog.h"
#include "common/dateutils.h"
#include "store/customerstore.h"
#include "store/snapshots.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QApplication>
#include <QPushButton>
#include <QTableWidget>

class TestBackupDialog : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Clock::setFixedNow(QDateTime()); }

    // Snapshots of 0, 1 and 2 prospects; the middle one restored twice in a
    // row: each restore adds a snapshot of the data before it on top, which
    // must be listed and must not move the choice; the message names the
    // snapshot restored.
    void restoreKeepsItsSnapshotChosen()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        MessageRecorder messages;
        for (int day = 1; day <= 3; ++day) {
            if (day > 1)
                QVERIFY(addCustomer("张三", 1, "1980-01-01", "1380000000", {}, {}, {}, {}));
            SnapshotJob job;
            QVERIFY(job.begin(QDateTime(QDate(2026, 3, day), QTime(9, 0))));
            QVERIFY(job.runToEnd());
        }
        BackupDialog dialog;
        auto *table = dialog.findChild<QTableWidget *>("tableWidgetSnapshots");
        table->selectRow(1);
        // Both within one second: the second safety copy gets a numbered name.
        Clock::setFixedNow(QDateTime(QDate(2026, 3, 7), QTime(10, 0)));
        for (int restore = 1; restore <= 2; ++restore) {
            messages.answerNext(QMessageBox::Yes);
            dialog.findChild<QPushButton *>("pushButtonRestore")->click();
            QCOMPARE(messages.last().kind, MessageKind::Information);
            QVERIFY2(messages.last().text.startsWith("数据已恢复到 2026-03-02 09:00:00 的状态。"),
                     qPrintable(messages.last().text));
            QCOMPARE(table->rowCount(), 3 + restore);
            QCOMPARE(table->item(table->currentRow(), 0)->text(), "2026-03-02 09:00:00");
            QCOMPARE(table->item(0, 0)->data(Qt::UserRole).toString(),
                     messages.last().text.section("恢复前的数据保存在 ", 1));
            QCOMPARE(queryValue("SELECT count(*) FROM customers").toInt(), 1);
        }
        QVERIFY(dialog.restored());
    }
};

CALLLEDGER_TEST_MAIN(TestBackupDialog, QApplication)
#include "tst_backupdialog.moc"
