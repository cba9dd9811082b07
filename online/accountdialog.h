#pragma once

#include <QDialog>

#include <memory>

class HttpAccountVerify;

namespace Ui {
class AccountDialog;
}

// Enters the web account (e-mail address and password), verifies it with the
// service and stores it when the service accepts it.
class AccountDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AccountDialog(QWidget *parent = nullptr);
    ~AccountDialog() override;

    QString getUserName() const { return m_userName; }
    QString getPassword() const { return m_password; }

public slots:
    void reject() override;

private slots:
    void on_pushButtonOk_clicked();
    void on_pushButtonCancel_clicked();
    void VerifyFinish(bool ok);

private:
    void setFieldsEnabled(bool enabled);

    std::unique_ptr<Ui::AccountDialog> ui;
    HttpAccountVerify *m_verify;
    QString m_userName;
    QString m_password;
};

// The stored web account, or, when none is stored, the one the agent enters
// in the account dialog. False when there is none with both fields filled.
bool obtainAccount(QWidget *parent, QString &userName, QString &password);
