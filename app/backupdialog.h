#pragma once

#include <QDialog>

#include <memory>

class SnapshotJob;

namespace Ui {
class BackupDialog;
}

// Lists the snapshots of the data file, takes one on request and restores a
// chosen one after asking.
class BackupDialog : public QDialog
{
    Q_OBJECT

public:
    explicit BackupDialog(QWidget *parent = nullptr);
    ~BackupDialog() override;

    // True once a restore replaced the data, so the opener refreshes.
    bool restored() const { return m_restored; }

private slots:
    void on_pushButtonBackupNow_clicked();
    void on_pushButtonRestore_clicked();
    void on_pushButtonClose_clicked();
    void on_tableWidgetSnapshots_cellDoubleClicked(int row, int column);

private:
    enum Column
    {
        TakenColumn,
        SizeColumn,
        ProspectsColumn,
        RecruitsColumn,
        OrdersColumn
    };

    void reload();
    // The file of the snapshot in the current row; empty when there is none.
    QString selectedPath() const;
    // The current row is a snapshot of this program's.
    bool restorable() const;
    void setBusy(bool busy);
    void reject() override;

    std::unique_ptr<Ui::BackupDialog> ui;
    std::unique_ptr<SnapshotJob> m_job;
    bool m_restored = false;
};
