#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// The agent's five preferences; one global instance is read everywhere and
// written only by the settings dialog.
class AppSettings
{
public:
    int customersCount() const { return m_customersCount; }
    void setCustomersCount(int value) { m_customersCount = value; }
    int helpersCount() const { return m_helpersCount; }
    void setHelpersCount(int value) { m_helpersCount = value; }
    bool holidayRemind() const { return m_holidayRemind; }
    void setHolidayRemind(bool value) { m_holidayRemind = value; }
    bool talkSkillRemind() const { return m_talkSkillRemind; }
    void setTalkSkillRemind(bool value) { m_talkSkillRemind = value; }
    QString region() const { return m_region; }
    void setRegion(const QString &value) { m_region = value; }
    // How many automatic snapshots of the data file are kept (1-365).
    int snapshotsKept() const { return m_snapshotsKept; }
    void setSnapshotsKept(int value)
    {
        m_snapshotsKept = value < 1 ? 1 : value > 365 ? 365 : value;
    }

    // Alerts before each call or visit scheduled today, and how many
    // minutes ahead (0-60).
    bool contactAlerts() const { return m_contactAlerts; }
    void setContactAlerts(bool value) { m_contactAlerts = value; }
    int contactAlertMinutes() const { return m_contactAlertMinutes; }
    void setContactAlertMinutes(int value)
    {
        m_contactAlertMinutes = value < 0 ? 0 : value > 60 ? 60 : value;
    }

    // Calling tools: the link a number is dialled through ("{number}" is
    // replaced by the number) and the outcomes the agent added to the fixed ones.
    QString dialTemplate() const { return m_dialTemplate; }
    void setDialTemplate(const QString &value) { m_dialTemplate = value; }
    QStringList extraOutcomes() const { return m_extraOutcomes; }
    void setExtraOutcomes(const QStringList &value) { m_extraOutcomes = value; }

private:
    int m_customersCount = 20;
    int m_helpersCount = 20;
    bool m_holidayRemind = false;
    bool m_talkSkillRemind = false;
    QString m_region;
    int m_snapshotsKept = 14;
    bool m_contactAlerts = true;
    int m_contactAlertMinutes = 5;
    QString m_dialTemplate = QStringLiteral("tel:{number}");
    QStringList m_extraOutcomes;
};

extern AppSettings appSettings;

// The scope under which the settings are kept, used as organisation and application name.
inline constexpr char settingsScope[] = "CallLedger";

void loadSettings(AppSettings &settings);
void saveSettings(const AppSettings &settings);

// How the desktop looks and where it was left: window placement, toolbar
// labels, the last folder of a file dialog, the start-up version check. Kept
// in a group of their own and read where they apply.
namespace DesktopSetting {
inline constexpr char mainWindowGeometry[] = "mainWindowGeometry";
inline constexpr char toolbarTextUnderIcon[] = "toolbarTextUnderIcon";
inline constexpr char lastFileFolder[] = "lastFileFolder";
// On by default.
inline constexpr char checkForUpdates[] = "checkForUpdates";
} // namespace DesktopSetting

QVariant desktopSetting(const char *key, const QVariant &fallback = QVariant());
void setDesktopSetting(const char *key, const QVariant &value);
