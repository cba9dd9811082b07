#include "systemsetdialog.h"
#include "ui_systemsetdialog.h"

#include "common/appsettings.h"

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
    ui->checkBoxCheckNewVersion->setChecked(
        desktopSetting(DesktopSetting::checkForUpdates, true).toBool());
    // The cursor starts in the first field, not in the tab bar; Enter saves.
    ui->lineEditRegion->setFocus();
}

SystemSetDialog::~SystemSetDialog() = default;

void SystemSetDialog::on_pushButtonOk_clicked()
{
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
