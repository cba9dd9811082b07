#pragma once

#include <QDialog>

#include <memory>

class DownloadInitCustomerList;
class QSaveCustomersListThread;
class QTimer;

class SnapshotJob;

namespace Ui {
class DownInitDataDialog;
}

// Downloads the account's initial customer list batch by batch: each batch
// continues after the largest service id stored, is saved in the background,
// and one second later the next one is requested, until the service sends an
// empty list. The main window keeps one instance and shows it modelessly.
class DownInitDataDialog : public QDialog
{
    Q_OBJECT

public:
    explicit DownInitDataDialog(QWidget *parent = nullptr);
    ~DownInitDataDialog() override;

signals:
    void start();

private slots:
    void on_pushButtonInit_clicked();
    void startDownload();
    void downloadFinish(bool ok);
    void progress(bool send, int done, int total);
    void on_pushButtonCancel_clicked();
    void TimerProc();
    void saveComplete();
    void saveProgress(int nPosition);

private:
    void countStored();

    std::unique_ptr<Ui::DownInitDataDialog> ui;
    DownloadInitCustomerList *m_download;
    QSaveCustomersListThread *m_saveThread;
    QTimer *m_timer;
    std::unique_ptr<SnapshotJob> m_snapshot;
    QString m_userName;
    QString m_password;
    bool m_cancelled = false;
    // A batch was handed to the writer and its result is not counted yet.
    bool m_saving = false;
    // Records stored by this dialog, over all batches and runs.
    int m_storedCount = 0;
};
