#include "appsettings.h"

#include <QSettings>

AppSettings appSettings;

void loadSettings(AppSettings &settings)
{
    // Conversions never throw; a value that is no number simply reads as 0.
    const AppSettings defaults;
    QSettings store(QString::fromLatin1(settingsScope), QString::fromLatin1(settingsScope));
    settings.setCustomersCount(store.value("customersCount", defaults.customersCount()).toInt());
    settings.setHelpersCount(store.value("helpersCount", defaults.helpersCount()).toInt());
    settings.setHolidayRemind(store.value("holidayRemind", defaults.holidayRemind()).toBool());
    settings.setTalkSkillRemind(
        store.value("talkSkillRemind", defaults.talkSkillRemind()).toBool());
    settings.setRegion(store.value("region", defaults.region()).toString());
    settings.setSnapshotsKept(store.value("snapshotsKept", defaults.snapshotsKept()).toInt());
    settings.setContactAlerts(store.value("contactAlerts", defaults.contactAlerts()).toBool());
    settings.setContactAlertMinutes(
        store.value("contactAlertMinutes", defaults.contactAlertMinutes()).toInt());

    settings.setDialTemplate(store.value("dialTemplate", defaults.dialTemplate()).toString());
    settings.setExtraOutcomes(store.value("extraOutcomes").toStringList());
}

void saveSettings(const AppSettings &settings)
{
    QSettings store(QString::fromLatin1(settingsScope), QString::fromLatin1(settingsScope));
    store.setValue("customersCount", settings.customersCount());
    store.setValue("helpersCount", settings.helpersCount());
    store.setValue("holidayRemind", settings.holidayRemind());
    store.setValue("talkSkillRemind", settings.talkSkillRemind());
    store.setValue("region", settings.region());
    store.setValue("snapshotsKept", settings.snapshotsKept());
    store.setValue("contactAlerts", settings.contactAlerts());
    store.setValue("contactAlertMinutes", settings.contactAlertMinutes());
    store.setValue("dialTemplate", settings.dialTemplate());
    store.setValue("extraOutcomes", settings.extraOutcomes());
    store.sync();
}

namespace {
const QString desktopGroup = QStringLiteral("desktop");
}

QVariant desktopSetting(const char *key, const QVariant &fallback)
{
    QSettings store(QString::fromLatin1(settingsScope), QString::fromLatin1(settingsScope));
    store.beginGroup(desktopGroup);
    return store.value(QLatin1String(key), fallback);
}

void setDesktopSetting(const char *key, const QVariant &value)
{
    QSettings store(QString::fromLatin1(settingsScope), QString::fromLatin1(settingsScope));
    store.beginGroup(desktopGroup);
    store.setValue(QLatin1String(key), value);
}
