#include "teamserversettings.h"

#include "common/appsettings.h"

#include <QSettings>

namespace {
const QString group = QStringLiteral("TeamServer");
}

QStringList teamServerTlsModes()
{
    // Without verify-full anybody answering on the port passes for the
    // server; "prefer" would even go on without encryption.
    return {QStringLiteral("verify-full"), QStringLiteral("require")};
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
    // An unknown mode would reach libpq as given, and "prefer" of older
    // versions would give the password away: the safe default instead.
    if (teamServerTlsModes().contains(mode))
        settings.tlsMode = mode;
    settings.caFile = store.value("caFile").toString();
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
    store.setValue("caFile", settings.caFile);
    store.endGroup();
    store.sync();
}
