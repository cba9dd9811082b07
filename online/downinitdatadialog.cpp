#include "downinitdatadialog.h"
#include "ui_downinitdatadialog.h"

#include "common/dateutils.h"
#include "widgets/messageboxes.h"
#include "online/accountdialog.h"
#include "online/downloadcustomerlist.h"
#include "online/downloadcustomerlistdialog.h"
#include "online/qsavecustomerslistthread.h"
#include "store/customerstore.h"
#include "store/snapshots.h"

#include <QTimer>

namespace {
const QString hintTitle = QStringLiteral("提示");
constexpr int pauseBetweenBatchesMs = 1000;
} // namespace

DownInitDataDialog::DownInitDataDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::DownInitDataDialog),
      m_download(new DownloadInitCustomerList(this)),
      m_saveThread(new QSaveCustomersListThread(this)), m_timer(new QTimer(this))
{
    ui->setupUi(this);
    ui->progressBar->setValue(0);
    connect(m_download, &DownloadInitCustomerList::done, this, &DownInitDataDialog::downloadFinish,
            Qt::UniqueConnection);
    connect(m_download, &DownloadInitCustomerList::progress, this, &DownInitDataDialog::progress);
    connect(this, &DownInitDataDialog::start, this, &DownInitDataDialog::startDownload,
            Qt::UniqueConnection);
    connect(m_timer, &QTimer::timeout, this, &DownInitDataDialog::TimerProc);
    connect(m_saveThread, &QSaveCustomersListThread::saveComplete, this,
            &DownInitDataDialog::saveComplete);
    connect(m_saveThread, &QSaveCustomersListThread::saveProgress, this,
            &DownInitDataDialog::saveProgress);
}

DownInitDataDialog::~DownInitDataDialog()
{
    // The writer commits what it stored before the stop and ends within one
    // record; nothing of this dialog may be gone before it has.
    m_timer->stop();
    m_download->abort();
    m_saveThread->stop();
    m_saveThread->wait();
}

void DownInitDataDialog::on_pushButtonInit_clicked()
{
    if (!obtainAccount(this, m_userName, m_password)) {
        ui->labelHint->setText(noAccountText());
        return;
    }
    m_cancelled = false;
    // Thousands of new rows are about to arrive: a snapshot first, so the
    // agent can go back to the data as it was.
    m_snapshot = std::make_unique<SnapshotJob>();
    if (!m_snapshot->begin(Clock::now())) {
        ui->labelHint->setText(QStringLiteral("备份失败: ") + m_snapshot->errorText());
        m_snapshot.reset();
        startDownload();
        return;
    }
    connect(m_snapshot.get(), &SnapshotJob::finished, this, [this](bool ok) {
        if (!ok)
            qWarning("snapshot before the download failed: %s",
                     qPrintable(m_snapshot->errorText()));
        m_snapshot.release()->deleteLater();
        if (!m_cancelled)
            startDownload();
    });
    ui->pushButtonInit->setEnabled(false);
    ui->labelHint->setText(QStringLiteral("正在备份数据"));
    m_snapshot->runInBackground();
}

void DownInitDataDialog::startDownload()
{
    // A cancelled writer may still be committing its last records: the next
    // request must continue after them, not fetch them again.
    if (m_saving) {
        m_saveThread->wait();
        countStored();
    }
    m_download->download(m_userName, m_password, maxServerCustomerId());
    ui->pushButtonInit->setEnabled(false);
    ui->labelHint->setText(QStringLiteral("开始下载客户名单"));
}

void DownInitDataDialog::progress(bool send, int done, int total)
{
    ui->labelHint->setText(send ? QStringLiteral("正在发送请求") : QStringLiteral("正在接收数据"));
    ui->progressBar->setMaximum(total);
    ui->progressBar->setValue(done);
}

void DownInitDataDialog::downloadFinish(bool ok)
{
    if (!ok) {
        showWarning(this, m_download->errorString(), hintTitle);
        ui->pushButtonInit->setEnabled(true);
        return;
    }
    const auto customers = m_download->downloadedCustomers();
    if (customers.isEmpty()) {
        showInformation(this,
                        QStringLiteral("全部下载完成,共下载") + QString::number(m_storedCount) +
                            QStringLiteral("条客户信息,已添加到准客户列表中"),
                        hintTitle);
        ui->pushButtonInit->setEnabled(true);
        accept();
        return;
    }
    ui->labelHint->setText(QStringLiteral("正在保存到数据库"));
    ui->progressBar->setRange(0, int(customers.size()));
    ui->progressBar->setValue(0);
    m_saving = true;
    m_saveThread->saveList(customers);
}

void DownInitDataDialog::saveProgress(int nPosition)
{
    // The counter itself grows only by what the batch really committed.
    ui->labelHint->setText(QStringLiteral("正在保存第") +
                           QString::number(m_storedCount + nPosition) +
                           QStringLiteral("条客户信息"));
    ui->progressBar->setValue(nPosition);
}

void DownInitDataDialog::countStored()
{
    m_saving = false;
    m_storedCount += m_saveThread->storedCount();
}

void DownInitDataDialog::saveComplete()
{
    // Already counted when a new run had to wait for this batch.
    if (!m_saving)
        return;
    countStored();
    if (m_saveThread->failed()) {
        // The batch was rolled back; asking for the next one would skip it.
        if (!m_saveThread->errorText().isEmpty())
            showWarning(this, m_saveThread->errorText(), QStringLiteral("新增客户信息出错."));
        ui->labelHint->setText(QStringLiteral("下载客户名单"));
        ui->pushButtonInit->setEnabled(true);
        return;
    }
    if (!m_cancelled)
        m_timer->start(pauseBetweenBatchesMs);
}

void DownInitDataDialog::TimerProc()
{
    m_timer->stop();
    emit start();
}

void DownInitDataDialog::on_pushButtonCancel_clicked()
{
    m_cancelled = true;
    m_timer->stop();
    m_download->abort();
    m_saveThread->stop();
    ui->labelHint->setText(QStringLiteral("下载客户名单"));
    ui->pushButtonInit->setEnabled(true);
    close();
}
