#include "teamserverdialog.h"
#include "ui_teamserverdialog.h"

#include "teamserver/teamservercontroller.h"
#include "teamserver/teamserverlink.h"
#include "teamserver/teamserverpassword.h"
#include "teamserver/teamserverthread.h"

#include "widgets/filechooser.h"

#include <QDir>
#include <QPointer>
#include <QTimer>

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
    ui->lineEditCaFile->setText(settings.caFile);
    connect(ui->comboBoxTlsMode, &QComboBox::currentTextChanged, this,
            &TeamServerDialog::explainTlsMode);
    explainTlsMode();
    // "测试连接" says how long it has waited; a server that never answers
    // is left at the thread's hang limit.
    auto *waiting = new QTimer(this);
    connect(waiting, &QTimer::timeout, this, [this] {
        if (m_testThread && !ui->pushButtonTest->isEnabled())
            ui->labelTestResult->setText(
                QStringLiteral("正在连接... (%1 秒)").arg(m_testThread->busyMs() / 1000));
    });
    waiting->start(1000);
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

void TeamServerDialog::explainTlsMode()
{
    const bool verified = ui->comboBoxTlsMode->currentIndex() == 0;
    ui->labelTlsNote->setText(
        verified ? QStringLiteral("verify-full: 服务器须出示团队 CA 签发的证书, 才把密码交给它。"
                                  "CA 证书文件向团队主管索取 (服务器上生成证书时的 root.crt), "
                                  "在上面选择它; 不填时使用 ~/.postgresql/root.crt。")
                 : QStringLiteral("警告: require 只加密连接, 不验证服务器。在同一网络或同一台电脑上"
                                  "冒充服务器的程序也能接受连接。请尽量使用 verify-full。"));
    ui->labelTlsNote->setStyleSheet(verified ? QString() : QStringLiteral("color: #b00000;"));
}

void TeamServerDialog::on_pushButtonCaFile_clicked()
{
    const QString path =
        FileChooser::openFileName(this, QStringLiteral("选择团队的 CA 证书文件"),
                                  QStringLiteral("证书 (*.crt *.pem *.cer);;所有文件 (*)"));
    if (!path.isEmpty())
        ui->lineEditCaFile->setText(QDir::toNativeSeparators(path));
}

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
    settings.caFile = ui->lineEditCaFile->text().trimmed();
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
    const QPointer<QObject> guard(this);
    if (!m_testThread)
        m_testThread = std::make_unique<TeamServerThread>(std::function<void()>());
    m_testThread->post([settings, password, name, guard, this] {
        QString error;
        const bool ok = openTeamServer(name, settings, password, &error);
        closeTeamServer(name);
        // The answer goes through the application object, which outlives the dialog.
        deliver(guard,
                [this, ok, error] { showTestResult(ok, ok ? QStringLiteral("连接成功") : error); });
    });
}

void TeamServerDialog::showTestResult(bool ok, const QString &text)
{
    ui->pushButtonTest->setEnabled(true);
    // libpq's words name the file or the check; say what the agent can do.
    const bool certificate = text.contains(QLatin1String("root certificate")) ||
                             text.contains(QLatin1String("certificate verify failed")) ||
                             text.contains(QLatin1String("does not match host name"));
    const QString hint = certificate
                             ? QStringLiteral("\n服务器的证书无法验证: 请在\"CA 证书文件\"中"
                                              "选择团队主管给的 CA 证书, 并确认服务器地址.")
                             : QString();
    ui->labelTestResult->setText(ok ? text : QStringLiteral("连接失败: ") + text + hint);
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
