#include "backupdialog.h"
#include "ui_backupdialog.h"

#include "common/dateutils.h"
#include "widgets/messageboxes.h"
#include "store/snapshots.h"

#include <QDir>
#include <QKeyEvent>
#include <QLocale>

namespace {
const QString stampText = QStringLiteral("yyyy-MM-dd hh:mm:ss");

QString countText(qint64 value)
{
    return value < 0 ? QStringLiteral("无法读取") : QString::number(value);
}

QTableWidgetItem *cell(const QString &text, const QString &path = QString())
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (!path.isEmpty())
        item->setData(Qt::UserRole, path);
    return item;
}
} // namespace

BackupDialog::BackupDialog(QWidget *parent) : QDialog(parent), ui(new Ui::BackupDialog)
{
    ui->setupUi(this);
    connect(ui->tableWidgetSnapshots, &QTableWidget::currentCellChanged, this,
            [this] { ui->pushButtonRestore->setEnabled(!m_job && restorable()); });
    ui->progressBar->hide();
    ui->labelFolder->setText(QStringLiteral("备份文件夹: ") +
                             QDir::toNativeSeparators(snapshotFolder()));
    reload();
    ui->tableWidgetSnapshots->setFocus();
}

BackupDialog::~BackupDialog() = default;

QString BackupDialog::selectedPath() const
{
    const QTableWidgetItem *item =
        ui->tableWidgetSnapshots->item(ui->tableWidgetSnapshots->currentRow(), TakenColumn);
    return item ? item->data(Qt::UserRole).toString() : QString();
}

bool BackupDialog::restorable() const
{
    const QTableWidgetItem *item =
        ui->tableWidgetSnapshots->item(ui->tableWidgetSnapshots->currentRow(), TakenColumn);
    // Another program's file, or another user's, offers no restore.
    return item && !item->data(Qt::UserRole + 1).toBool();
}

// The chosen snapshot stays chosen although new ones push it down the list.
void BackupDialog::reload()
{
    const QString selected = selectedPath();
    const QList<SnapshotInfo> snapshots = listSnapshots();
    QTableWidget *table = ui->tableWidgetSnapshots;
    table->setRowCount(int(snapshots.size()));
    int selectedRow = 0;
    const QLocale locale;
    for (int row = 0; row < snapshots.size(); ++row) {
        SnapshotInfo info = snapshots.at(row);
        readSnapshotCounts(info);
        if (info.path == selected)
            selectedRow = row;
        QTableWidgetItem *taken =
            cell(info.taken.toString(stampText) +
                     (info.future ? QStringLiteral(" (日期在将来)") : QString()) +
                     (info.foreign ? QStringLiteral(" (不是本程序的备份)") : QString()),
                 info.path);
        taken->setData(Qt::UserRole + 1, info.foreign);
        taken->setToolTip(info.foreignReason);
        table->setItem(row, TakenColumn, taken);
        table->setItem(row, SizeColumn, cell(locale.formattedDataSize(info.size)));
        table->setItem(row, ProspectsColumn, cell(countText(info.prospects)));
        table->setItem(row, RecruitsColumn, cell(countText(info.recruits)));
        table->setItem(row, OrdersColumn, cell(countText(info.orders)));
    }
    table->resizeColumnsToContents();
    if (table->rowCount() > 0)
        table->selectRow(selectedRow);
    ui->pushButtonRestore->setEnabled(restorable());
    // Backups that cannot be taken, or copies dated ahead, are said here and
    // not only when a copy is asked for.
    const QStringList problems = snapshotProblems(Clock::now());
    ui->labelProblems->setText(problems.join(QLatin1Char('\n')));
    ui->labelProblems->setVisible(!problems.isEmpty());
}

void BackupDialog::setBusy(bool busy)
{
    ui->pushButtonBackupNow->setEnabled(!busy);
    ui->pushButtonRestore->setEnabled(!busy && restorable());
    ui->pushButtonClose->setEnabled(!busy);
    ui->progressBar->setVisible(busy);
}

void BackupDialog::on_pushButtonBackupNow_clicked()
{
    m_job = std::make_unique<SnapshotJob>();
    if (!m_job->begin(Clock::now())) {
        showWarning(this, m_job->errorText(), QStringLiteral("备份失败"));
        m_job.reset();
        return;
    }
    ui->progressBar->setRange(0, 0);
    connect(m_job.get(), &SnapshotJob::progress, this, [this](int copied, int total) {
        ui->progressBar->setRange(0, total);
        ui->progressBar->setValue(copied);
    });
    connect(m_job.get(), &SnapshotJob::finished, this, [this](bool ok) {
        const QString error = m_job->errorText();
        m_job.release()->deleteLater();
        setBusy(false);
        reload();
        if (!ok)
            showWarning(this, error, QStringLiteral("备份失败"));
    });
    setBusy(true);
    m_job->runInBackground();
}

void BackupDialog::on_pushButtonRestore_clicked()
{
    // Copies: reload() replaces the table's items.
    const QString path = selectedPath();
    if (path.isEmpty() || !restorable())
        return;
    const QString taken =
        ui->tableWidgetSnapshots->item(ui->tableWidgetSnapshots->currentRow(), TakenColumn)->text();
    if (!askYesNo(this,
                  QStringLiteral(
                      "确定要用 %1 的备份替换现在的数据吗?\n现在的数据会先另存为一个新的备份。")
                      .arg(taken),
                  QStringLiteral("提示")))
        return;
    QString error;
    QString safetyCopy;
    setCursor(Qt::WaitCursor);
    const bool ok = restoreSnapshot(path, &error, &safetyCopy);
    unsetCursor();
    if (!ok) {
        showWarning(this, error + QStringLiteral("\n现在的数据没有改变。"),
                    QStringLiteral("恢复失败"));
        reload();
        return;
    }
    m_restored = true;
    reload();
    showInformation(this,
                    QStringLiteral("数据已恢复到 %1 的状态。\n恢复前的数据保存在 %2")
                        .arg(taken, QDir::toNativeSeparators(safetyCopy)),
                    QStringLiteral("提示"));
}

void BackupDialog::on_tableWidgetSnapshots_cellDoubleClicked(int, int)
{
    on_pushButtonRestore_clicked();
}

void BackupDialog::on_pushButtonClose_clicked()
{
    reject();
}

void BackupDialog::reject()
{
    // A copy in progress finishes first; closing now would leave it half-written.
    if (m_job)
        return;
    QDialog::reject();
}
