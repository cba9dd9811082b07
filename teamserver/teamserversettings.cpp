#include "teamserversettings.h"

#include "common/appsettings.h"

#include <QSettings>

namespace {
const QString group = QStringLiteral("TeamServer");
}

QStringList teamServerTlsModes()
{
    return {QStringLiteral("prefer"), QStringLiteral("require"), QStringLiteral("verify-full")};
}

TeamServerSettings loadTeamServerSettings()
{
    TeamServerSettings settings;
    QSettings store(QString::fromLatin1(settingsScope), QString::fromLatin1(settingsScope));
    store.beginGroup(group);
    settings.enabled = store.value("enabled", false).toBool();
    settings.host = store.value("host").toString();
    settings.port = store.value("port", settings.port).toInt();
    if (settings.port < 1 || settings.port > 65535)
        settings.port = 5432;
    settings.database = store.value("database").toString();
    settings.member = store.value("member").toString();
    const QString mode = store.value("tlsMode", settings.tlsMode).toString();
    // An unknown mode would reach libpq as given; fall back to the safe default.
    if (teamServerTlsModes().contains(mode))
        settings.tlsMode = mode;
    return settings;
}

void saveTeamServerSettings(const TeamServerSettings &settings)
{
    QSettings store(QString::fromLatin1(settingsScope), QString::fromLatin1(settingsScope));
    store.beginGroup(group);
    store.setValue("enabled", settings.enabled);
    store.setValue("host", settings.host);
    store.setValue("port", settings.port);
    store.setValue("database", settings.database);
    store.setValue("member", settings.member);
    store.setValue("tlsMode", settings.tlsMode);
    store.endGroup();
    store.sync();
}
