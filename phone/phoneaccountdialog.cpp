#include "phoneaccountdialog.h"
#include "ui_phoneaccountdialog.h"

#include "phone/phonecontroller.h"
#include "phone/phonepassword.h"
#include "phone/softphone.h"
#include "widgets/messageboxes.h"

PhoneAccountDialog::PhoneAccountDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::PhoneAccountDialog>())
{
    ui->setupUi(this);
    ui->comboBoxTransport->addItems(
        {QStringLiteral("UDP"), QStringLiteral("TCP"), QStringLiteral("TLS")});
    ui->comboBoxEncryption->addItems({QStringLiteral("不加密"), QStringLiteral("SRTP")});
    ui->spinBoxRingTimeout->setRange(5, 300);
    ui->spinBoxKeepDays->setRange(0, 3650);
    ui->spinBoxCountdown->setRange(1, 60);
    const PhoneAccount account = loadPhoneAccount();
    const PhoneOptions options = loadPhoneOptions();
    ui->checkBoxEnabled->setChecked(account.enabled);
    ui->lineEditServer->setText(account.server);
    ui->lineEditUser->setText(account.user);
    ui->lineEditDisplayName->setText(account.displayName);
    ui->comboBoxTransport->setCurrentIndex(int(phoneTransports().indexOf(account.transport)));
    ui->comboBoxEncryption->setCurrentIndex(account.srtp ? 1 : 0);
    ui->spinBoxRingTimeout->setValue(options.ringTimeoutSeconds);
    ui->checkBoxRecord->setChecked(options.recordCalls);
    ui->spinBoxKeepDays->setValue(options.keepRecordingDays);
    ui->checkBoxProgressive->setChecked(options.progressiveDialling);
    ui->spinBoxCountdown->setValue(options.progressiveCountdownSeconds);
    ui->spinBoxCountdown->setEnabled(options.progressiveDialling);
    connect(ui->checkBoxProgressive, &QCheckBox::toggled, ui->spinBoxCountdown,
            &QWidget::setEnabled);
    connect(ui->lineEditPassword, &QLineEdit::textEdited, this, [this] { passwordEdited = true; });
    if (account.complete()) {
        PhonePassword::read(account, this, [this](const QString &password, const QString &note) {
            if (!passwordEdited)
                ui->lineEditPassword->setText(password);
            ui->labelPasswordNote->setText(note);
        });
    }
    ui->lineEditServer->setFocus();
}

PhoneAccountDialog::~PhoneAccountDialog() = default;

PhoneAccount PhoneAccountDialog::enteredAccount() const
{
    PhoneAccount account;
    account.enabled = ui->checkBoxEnabled->isChecked();
    account.server = ui->lineEditServer->text().trimmed();
    account.user = ui->lineEditUser->text().trimmed();
    account.displayName = ui->lineEditDisplayName->text().trimmed();
    account.transport =
        phoneTransports().value(ui->comboBoxTransport->currentIndex(), QStringLiteral("udp"));
    account.srtp = ui->comboBoxEncryption->currentIndex() == 1;
    return account;
}

PhoneOptions PhoneAccountDialog::enteredOptions() const
{
    PhoneOptions options = loadPhoneOptions();
    options.ringTimeoutSeconds = ui->spinBoxRingTimeout->value();
    options.recordCalls = ui->checkBoxRecord->isChecked();
    options.keepRecordingDays = ui->spinBoxKeepDays->value();
    options.progressiveDialling = ui->checkBoxProgressive->isChecked();
    options.progressiveCountdownSeconds = ui->spinBoxCountdown->value();
    return options;
}

bool PhoneAccountDialog::checkFields()
{
    const PhoneAccount account = enteredAccount();
    // An empty account may be saved switched off; what is typed must be usable.
    const bool required = account.enabled;
    const std::pair<QLineEdit *, QString> checks[] = {
        {ui->lineEditServer,
         required || !account.server.isEmpty() ? phoneServerProblem(account.server) : QString()},
        {ui->lineEditUser,
         required || !account.user.isEmpty() ? phoneUserProblem(account.user) : QString()},
        {ui->lineEditDisplayName, phoneDisplayNameProblem(account.displayName)},
    };
    for (const auto &[field, problem] : checks) {
        if (problem.isEmpty())
            continue;
        showWarning(this, problem, QStringLiteral("提示"));
        field->setFocus();
        field->selectAll();
        return false;
    }
    // The raw text, before trimming: a line break pasted inside is refused too.
    if (ui->lineEditServer->text().trimmed() != ui->lineEditServer->text().simplified() ||
        ui->lineEditUser->text().trimmed() != ui->lineEditUser->text().simplified()) {
        showWarning(this, QStringLiteral("服务器地址和用户名不能含空格或换行."),
                    QStringLiteral("提示"));
        return false;
    }
    return true;
}

void PhoneAccountDialog::on_pushButtonTest_clicked()
{
    PhoneAccount account = enteredAccount();
    account.enabled = true;
    if (!checkFields())
        return;
    if (!account.complete()) {
        showWarning(this, QStringLiteral("请填写 SIP 服务器和用户名."), QStringLiteral("提示"));
        return;
    }
    ui->pushButtonTest->setEnabled(false);
    ui->labelTestResult->setText(QStringLiteral("正在注册..."));
    delete probe;
    probe = new RegistrationProbe(
        PhoneController::instance() ? PhoneController::instance()->bindAddress() : QString(), this);
    connect(probe, &RegistrationProbe::finished, this, [this](bool ok, const QString &answer) {
        ui->pushButtonTest->setEnabled(true);
        ui->labelTestResult->setText(answer);
        emit registrationTested(ok, answer);
    });
    probe->start(account, ui->lineEditPassword->text());
}

void PhoneAccountDialog::on_pushButtonOk_clicked()
{
    if (!checkFields())
        return;
    const PhoneAccount account = enteredAccount();
    const PhoneOptions options = enteredOptions();
    const QString password = ui->lineEditPassword->text();
    savePhoneAccount(account);
    savePhoneOptions(options);
    PhoneController *controller = PhoneController::instance();
    if (account.complete()) {
        // This session keeps its copy; the window says when the keyring refused it.
        PhonePassword::write(account, password, controller, [controller](const QString &note) {
            if (controller && !note.isEmpty())
                controller->showNote(note);
        });
    }
    if (controller)
        controller->apply(account, password, options);
    accept();
}

void PhoneAccountDialog::on_pushButtonCancel_clicked()
{
    reject();
}
