#pragma once

#include "common/phonesettings.h"

#include <QDialog>

#include <memory>

class RegistrationProbe;

namespace Ui {
class PhoneAccountDialog;
}

// "电话账号": the SIP account of the built-in telephone and how it calls
// (ring time-out, recording, how long recordings stay, progressive calling).
// The password goes to the desktop keyring. "测试注册" registers the entered
// account once and shows the server's own answer.
class PhoneAccountDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PhoneAccountDialog(QWidget *parent = nullptr);
    ~PhoneAccountDialog() override;

    PhoneAccount enteredAccount() const;
    PhoneOptions enteredOptions() const;

signals:
    void registrationTested(bool ok, const QString &answer);

private slots:
    void on_pushButtonTest_clicked();
    void on_pushButtonOk_clicked();
    void on_pushButtonCancel_clicked();

private:
    // False (after the field's message, focus in the field) when a field cannot be used.
    bool checkFields();

    std::unique_ptr<Ui::PhoneAccountDialog> ui;
    RegistrationProbe *probe = nullptr;
    bool passwordEdited = false;
};
