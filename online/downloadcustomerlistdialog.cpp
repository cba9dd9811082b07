#include "downloadcustomerlistdialog.h"
#include "ui_downloadcustomerlistdialog.h"

#include "widgets/messageboxes.h"
#include "online/accountdialog.h"
#include "online/downloadcustomerlist.h"
#include "store/customerstore.h"
#include "store/database.h"
#include "store/phonekeys.h"

#include <QApplication>
#include <QSqlError>

namespace {
const QString hintTitle = QStringLiteral("提示");
}

QString noAccountText()
{
    return QStringLiteral("下载被中止,您没有有效的Vantoro帐号");
}

DownloadCustomerListDialog::DownloadCustomerListDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::DownloadCustomerListDialog),
      m_download(new DownloadCustomerList(this))
{
    ui->setupUi(this);
    ui->labelBuy->setText(QStringLiteral("<a href=\"%1\"><span style=\" text-decoration: "
                                         "underline; color:#0000ff;\">马上购买</span></a>")
                              .arg(QLatin1String(loginPageUrl)));
    ui->labelHint->setText(
        QStringLiteral("下载您在Vantoro购买的客户名单,并自动加入到本地客户名单库."));
    ui->progressBar->setRange(0, 100);
    ui->progressBar->setValue(0);
    ui->checkBoxNew->setChecked(true);
    connect(m_download, &DownloadCustomerList::done, this,
            &DownloadCustomerListDialog::downloadFinish, Qt::UniqueConnection);
    connect(m_download, &DownloadCustomerList::progress, this,
            &DownloadCustomerListDialog::progress, Qt::UniqueConnection);
}

DownloadCustomerListDialog::~DownloadCustomerListDialog() = default;

void DownloadCustomerListDialog::on_pushButtonDown_clicked()
{
    const int dataType = ui->checkBoxNew->isChecked() ? 1 : 0;
    if (!obtainAccount(this, m_userName, m_password)) {
        ui->labelHint->setText(noAccountText());
        return;
    }
    ui->checkBoxNew->setEnabled(false);
    m_download->download(m_userName, m_password, dataType);
    ui->pushButtonDown->setEnabled(false);
}

void DownloadCustomerListDialog::progress(bool send, int done, int total)
{
    ui->labelHint->setText(send ? QStringLiteral("正在发送请求") : QStringLiteral("正在接收数据"));
    ui->progressBar->setMaximum(total);
    ui->progressBar->setValue(done);
}

void DownloadCustomerListDialog::downloadFinish(bool ok)
{
    ui->labelHint->setText(QStringLiteral("下载完成"));
    ui->pushButtonDown->setEnabled(true);
    if (!ok) {
        showWarning(this, m_download->errorString(), hintTitle);
        return;
    }
    // Counted before the list goes in, against the prospects the agent had.
    QStringList phones;
    for (const DownloadedCustomer &customer : m_download->downloadedCustomers())
        phones.append(customer.mobile);
    const int known = countKnownPhones(PersonTable::Customers, phones);
    int stored = 0, refused = 0;
    if (!storeCustomers(&stored, &refused))
        return;
    // The count is what was stored, not what arrived.
    QString text = QStringLiteral("共下载 ") + QString::number(stored) +
                   QStringLiteral(" 条客户信息,已添加到准客户列表中.");
    if (refused > 0)
        text += QStringLiteral("\n另有 %1 条客户信息无法保存,没有添加.").arg(refused);
    if (known > 0)
        text += QStringLiteral("\n其中 %1 条客户的电话号码与已有的准客户相同.").arg(known);
    showInformation(this, text, hintTitle);
    accept();
}

// One transaction for the whole list: a thousand records are written at once
// instead of with a commit each. A record the store refuses is skipped and
// counted, as the agent would not be able to do anything about it either.
bool DownloadCustomerListDialog::storeCustomers(int *stored, int *refused)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool inTransaction = beginTransaction();
    const auto customers = m_download->downloadedCustomers();
    for (const DownloadedCustomer &customer : customers) {
        ++*(addDownloadedCustomer(customer.name, customer.mobile, customer.company,
                                  customer.major, customer.company_address, customer.id)
                ? stored
                : refused);
    }
    const bool committed = !inTransaction || commitTransaction();
    QString error;
    if (!committed) {
        error = QSqlDatabase::database().lastError().text();
        rollbackTransaction();
    }
    QApplication::restoreOverrideCursor();
    if (!committed) {
        showWarning(this, error, QStringLiteral("新增客户信息出错."));
        return false;
    }
    return true;
}

void DownloadCustomerListDialog::on_pushButtonCancel_clicked()
{
    reject();
}

void DownloadCustomerListDialog::reject()
{
    m_download->abort();
    QDialog::reject();
}
