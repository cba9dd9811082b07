#include "teamserverdialog.h"
#include "ui_teamserverdialog.h"

#include "teamserver/teamservercontroller.h"
#include "teamserver/teamserverlink.h"
#include "teamserver/teamserverpassword.h"
#include "teamserver/teamserverthread.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

TeamServerDialog::TeamServerDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TeamServerDialog>())
{
    ui->setupUi(this);
    ui->spinBoxPort->setRange(1, 65535);
    ui->comboBoxTlsMode->addItems(teamServerTlsModes());
    const TeamServerSettings settings = loadTeamServerSettings();
    ui->checkBoxEnabled->setChecked(settings.enabled);
    ui->lineEditHost->setText(settings.host);
    ui->spinBoxPort->setValue(settings.port);
    ui->lineEditDatabase->setText(settings.database);
    ui->lineEditMember->setText(settings.member);
    ui->comboBoxTlsMode->setCurrentText(settings.tlsMode);
    connect(ui->lineEditPassword, &QLineEdit::textEdited, this, [this] { passwordEdited = true; });
    if (settings.complete()) {
        TeamServerPassword::read(settings, this,
                                 [this](const QString &password, const QString &note) {
                                     if (!passwordEdited)
                                         ui->lineEditPassword->setText(password);
                                     ui->labelPasswordNote->setText(note);
                                 });
    }
    ui->lineEditHost->setFocus();
}

TeamServerDialog::~TeamServerDialog() = default;

void TeamServerDialog::focusPassword()
{
    ui->lineEditPassword->setFocus();
}

TeamServerSettings TeamServerDialog::enteredSettings() const
{
    TeamServerSettings settings;
    settings.enabled = ui->checkBoxEnabled->isChecked();
    settings.host = ui->lineEditHost->text().trimmed();
    settings.port = ui->spinBoxPort->value();
    settings.database = ui->lineEditDatabase->text().trimmed();
    settings.member = ui->lineEditMember->text().trimmed();
    settings.tlsMode = ui->comboBoxTlsMode->currentText();
    return settings;
}

void TeamServerDialog::on_pushButtonTest_clicked()
{
    const TeamServerSettings settings = enteredSettings();
    if (!settings.complete()) {
        showTestResult(false, QStringLiteral("请填写服务器地址、数据库和成员名"));
        return;
    }
    ui->pushButtonTest->setEnabled(false);
    ui->labelTestResult->setText(QStringLiteral("正在连接..."));
    const QString password = ui->lineEditPassword->text();
    const QString name = uniqueConnectionName(QStringLiteral("teamserver-test-"));
    QPointer<TeamServerDialog> guard(this);
    // The answer goes through the application object, which outlives the dialog.
    QThread *thread = QThread::create([settings, password, name, guard] {
        QString error;
        const bool ok = openTeamServer(name, settings, password, &error);
        closeTeamServer(name);
        QMetaObject::invokeMethod(QCoreApplication::instance(), [guard, ok, error] {
            if (guard)
                guard->showTestResult(ok, ok ? QStringLiteral("连接成功") : error);
        });
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void TeamServerDialog::showTestResult(bool ok, const QString &text)
{
    ui->pushButtonTest->setEnabled(true);
    ui->labelTestResult->setText(ok ? text : QStringLiteral("连接失败: ") + text);
    emit connectionTested(ok, text);
}

void TeamServerDialog::on_pushButtonOk_clicked()
{
    const TeamServerSettings settings = enteredSettings();
    const QString password = ui->lineEditPassword->text();
    saveTeamServerSettings(settings);
    TeamServerController *controller = TeamServerController::instance();
    if (settings.complete()) {
        // This session keeps its copy; the window says when the keyring refused it.
        TeamServerPassword::write(settings, password, controller,
                                  [controller](const QString &note) {
                                      if (!note.isEmpty())
                                          controller->showNote(note);
                                  });
    }
    if (controller)
        controller->apply(settings, password);
    accept();
}

void TeamServerDialog::on_pushButtonCancel_clicked()
{
    reject();
}
