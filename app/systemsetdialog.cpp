#include "systemsetdialog.h"
#include "ui_systemsetdialog.h"

#include "common/appsettings.h"
#include "common/calltools.h"
#include "common/phonesettings.h"
#include "phone/phoneaccountdialog.h"
#include "phone/phonecontroller.h"
#include "phone/softphone.h"
#include "store/diallink.h"
#include "teamserver/teamserverdialog.h"
#include "widgets/messageboxes.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

SystemSetDialog::SystemSetDialog(QWidget *parent) : QDialog(parent), ui(new Ui::SystemSetDialog)
{
    ui->setupUi(this);
    ui->spinBoxCustomersCount->setRange(0, 99);
    ui->spinBoxHelperCount->setRange(0, 99);
    ui->spinBoxSnapshotsKept->setRange(1, 365);
    ui->spinBoxSnapshotsKept->setValue(appSettings.snapshotsKept());

    ui->spinBoxCustomersCount->setValue(appSettings.customersCount());
    ui->spinBoxHelperCount->setValue(appSettings.helpersCount());
    // Disabled on the form: the user sees the stored value but cannot change it.
    ui->checkBoxHolidayRemind->setChecked(appSettings.holidayRemind());
    ui->checkBoxTalkSkillRemind->setChecked(appSettings.talkSkillRemind());
    ui->lineEditRegion->setText(appSettings.region());

    ui->spinBoxContactAlertMinutes->setRange(0, 60);
    ui->spinBoxContactAlertMinutes->setValue(appSettings.contactAlertMinutes());
    ui->checkBoxContactAlert->setChecked(appSettings.contactAlerts());
    // The lead time means nothing while the alerts are off.
    ui->spinBoxContactAlertMinutes->setEnabled(appSettings.contactAlerts());
    connect(ui->checkBoxContactAlert, &QCheckBox::toggled, ui->spinBoxContactAlertMinutes,
            &QWidget::setEnabled);
    addTeamServerButton();
    setUpCallingTab();
    ui->checkBoxCheckNewVersion->setChecked(
        desktopSetting(DesktopSetting::checkForUpdates, true).toBool());
    // The cursor starts in the first field, not in the tab bar; Enter saves.
    ui->lineEditRegion->setFocus();
}

SystemSetDialog::~SystemSetDialog() = default;

// The team server has a dialog of its own; its button sits beside the others.
void SystemSetDialog::addTeamServerButton()
{
    auto *button = new QPushButton(QStringLiteral("团队服务器..."), this);
    button->setObjectName(QStringLiteral("pushButtonTeamServer"));
    button->setAutoDefault(false);
    ui->horizontalLayout->insertWidget(0, button);
    connect(button, &QPushButton::clicked, this, [this] {
        TeamServerDialog dialog(this);
        dialog.exec();
    });
}

void SystemSetDialog::on_pushButtonOk_clicked()
{
    if (!storeCallingTab())
        return;
    appSettings.setRegion(ui->lineEditRegion->text().trimmed());
    appSettings.setCustomersCount(ui->spinBoxCustomersCount->value());
    appSettings.setHelpersCount(ui->spinBoxHelperCount->value());
    appSettings.setSnapshotsKept(ui->spinBoxSnapshotsKept->value());
    appSettings.setHolidayRemind(ui->checkBoxHolidayRemind->isChecked());
    appSettings.setTalkSkillRemind(ui->checkBoxTalkSkillRemind->isChecked());
    appSettings.setContactAlerts(ui->checkBoxContactAlert->isChecked());
    appSettings.setContactAlertMinutes(ui->spinBoxContactAlertMinutes->value());
    saveSettings(appSettings);
    setDesktopSetting(DesktopSetting::checkForUpdates, ui->checkBoxCheckNewVersion->isChecked());
    accept();
}

void SystemSetDialog::on_pushButtonCancel_clicked()
{
    reject();
}

void SystemSetDialog::setUpCallingTab()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabCalling"));
    auto *form = new QFormLayout(page);
    // The built-in telephone is used once its account is on; the link stays
    // the other way.
    dialWayBox = new QComboBox(page);
    dialWayBox->setObjectName(QStringLiteral("comboBoxDialWay"));
    dialWayBox->addItems({QStringLiteral("内置电话 (电话账号启用时)"), QStringLiteral("拨号链接")});
    dialWayBox->setCurrentIndex(loadPhoneOptions().dialThroughPhone ? 0 : 1);
    auto *phoneButton = new QPushButton(QStringLiteral("电话账号..."), page);
    phoneButton->setObjectName(QStringLiteral("pushButtonPhoneAccount"));
    phoneButton->setAutoDefault(false);
    connect(phoneButton, &QPushButton::clicked, this, [this] {
        PhoneAccountDialog dialog(this);
        dialog.exec();
    });
    auto *wayRow = new QHBoxLayout;
    wayRow->addWidget(dialWayBox, 1);
    wayRow->addWidget(phoneButton);
    form->addRow(QStringLiteral("拨号方式:"), wayRow);
    dialTemplateEdit = new QLineEdit(appSettings.dialTemplate(), page);
    dialTemplateEdit->setObjectName(QStringLiteral("lineEditDialTemplate"));
    dialTemplateEdit->setToolTip(QStringLiteral(
        "{number} 处换成号码, 例如 tel:{number}, sip:{number}@pbx.example.com, callto:{number}"));
    form->addRow(QStringLiteral("拨号链接:"), dialTemplateEdit);
    auto *fixed = new QLabel(fixedCallOutcomes().join(QStringLiteral(", ")), page);
    fixed->setWordWrap(true);
    form->addRow(QStringLiteral("通话结果:"), fixed);
    extraOutcomesEdit =
        new QPlainTextEdit(appSettings.extraOutcomes().join(QLatin1Char('\n')), page);
    extraOutcomesEdit->setObjectName(QStringLiteral("plainTextEditExtraOutcomes"));
    extraOutcomesEdit->setTabChangesFocus(true);
    extraOutcomesEdit->setToolTip(QStringLiteral("每行一个, 排在固定的结果之后"));
    form->addRow(QStringLiteral("自定义结果:"), extraOutcomesEdit);
    ui->tabWidget->addTab(page, QStringLiteral("拨号与通话"));
}

bool SystemSetDialog::storeCallingTab()
{
    const QString pattern = dialTemplateEdit->text().trimmed();
    const QString problem = dialTemplateProblem(pattern);
    if (!problem.isEmpty()) {
        showWarning(this, problem, QStringLiteral("提示"));
        ui->tabWidget->setCurrentWidget(dialTemplateEdit->parentWidget());
        dialTemplateEdit->setFocus();
        return false;
    }
    appSettings.setDialTemplate(pattern);
    PhoneOptions options = loadPhoneOptions();
    options.dialThroughPhone = dialWayBox->currentIndex() == 0;
    savePhoneOptions(options);
    if (PhoneController *controller = PhoneController::instance())
        controller->phone()->setOptions(options);
    QStringList extra = callOutcomes(extraOutcomesEdit->toPlainText().split(QLatin1Char('\n')));
    extra.erase(extra.begin(), extra.begin() + fixedCallOutcomes().size());
    appSettings.setExtraOutcomes(extra);
    return true;
}
