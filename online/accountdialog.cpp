#include "accountdialog.h"
#include "ui_accountdialog.h"

#include "widgets/messageboxes.h"
#include "online/httpaccountverify.h"
#include "store/catalogstore.h"

namespace {
const QString hintTitle = QStringLiteral("提示");
}

AccountDialog::AccountDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::AccountDialog), m_verify(new HttpAccountVerify(this))
{
    ui->setupUi(this);
    ui->labelRegisterUrl->setText(
        QStringLiteral("<a href=\"%1\"><span style=\" text-decoration: underline; "
                       "color:#0000ff;\">马上注册</span></a>")
            .arg(QLatin1String(registerPageUrl)));
    connect(m_verify, &HttpAccountVerify::done, this, &AccountDialog::VerifyFinish,
            Qt::UniqueConnection);
    if (loadAccount(m_userName, m_password)) {
        ui->lineEditUserName->setText(m_userName);
        ui->lineEditPassword->setText(m_password);
    }
    ui->lineEditUserName->setFocus();
}

AccountDialog::~AccountDialog() = default;

void AccountDialog::setFieldsEnabled(bool enabled)
{
    ui->lineEditUserName->setEnabled(enabled);
    ui->lineEditPassword->setEnabled(enabled);
}

void AccountDialog::on_pushButtonOk_clicked()
{
    m_userName = ui->lineEditUserName->text().trimmed();
    m_password = ui->lineEditPassword->text().trimmed();
    if (m_userName.isEmpty()) {
        showWarning(this, QStringLiteral("请输入有效的用户名!"), hintTitle);
        ui->lineEditUserName->setFocus();
        return;
    }
    if (m_password.isEmpty()) {
        showWarning(this, QStringLiteral("请输入有效的密码!"), hintTitle);
        ui->lineEditPassword->setFocus();
        return;
    }
    m_verify->verify(m_userName, m_password);
    setFieldsEnabled(false);
}

void AccountDialog::VerifyFinish(bool ok)
{
    setFieldsEnabled(true);
    if (!ok) {
        showWarning(this, m_verify->errorString(), hintTitle);
        return;
    }
    // Store what the service accepted, even if the fields changed meanwhile.
    m_userName = m_verify->email();
    m_password = m_verify->password();
    saveAccount(m_userName, m_password);
    showInformation(this, QStringLiteral("帐号验证成功."), hintTitle);
    accept();
}

void AccountDialog::on_pushButtonCancel_clicked()
{
    reject();
}

void AccountDialog::reject()
{
    m_verify->abort();
    QDialog::reject();
}

bool obtainAccount(QWidget *parent, QString &userName, QString &password)
{
    if (!loadAccount(userName, password)) {
        AccountDialog dialog(parent);
        if (dialog.exec() == QDialog::Accepted) {
            userName = dialog.getUserName();
            password = dialog.getPassword();
        }
    }
    return !userName.isEmpty() && !password.isEmpty();
}
