#include "phonesettings.h"

#include "common/appsettings.h"

#include <QSettings>

#include <memory>

namespace {
const QString accountGroup = QStringLiteral("PhoneAccount");
const QString optionsGroup = QStringLiteral("Phone");

QSettings *openStore()
{
    return new QSettings(QString::fromLatin1(settingsScope), QString::fromLatin1(settingsScope));
}

bool hasForbiddenCharacter(const QString &text, const QString &forbidden)
{
    for (const QChar c : text) {
        if (c.isSpace() || c.category() == QChar::Other_Control || forbidden.contains(c))
            return true;
    }
    return false;
}
} // namespace

bool PhoneAccount::operator==(const PhoneAccount &other) const
{
    return enabled == other.enabled && server == other.server && user == other.user &&
           displayName == other.displayName && transport == other.transport && srtp == other.srtp;
}

QStringList phoneTransports()
{
    return {QStringLiteral("udp"), QStringLiteral("tcp"), QStringLiteral("tls")};
}

PhoneAccount loadPhoneAccount()
{
    std::unique_ptr<QSettings> store(openStore());
    store->beginGroup(accountGroup);
    PhoneAccount account;
    account.enabled = store->value("enabled", false).toBool();
    account.server = store->value("server").toString();
    account.user = store->value("user").toString();
    account.displayName = store->value("displayName").toString();
    const QString transport = store->value("transport", account.transport).toString();
    if (phoneTransports().contains(transport))
        account.transport = transport;
    account.srtp = store->value("srtp", false).toBool();
    // A file edited by hand must not smuggle a header into a request.
    if (!phoneServerProblem(account.server).isEmpty() || !phoneUserProblem(account.user).isEmpty())
        account.enabled = false;
    if (!phoneDisplayNameProblem(account.displayName).isEmpty())
        account.displayName.clear();
    return account;
}

void savePhoneAccount(const PhoneAccount &account)
{
    std::unique_ptr<QSettings> store(openStore());
    store->beginGroup(accountGroup);
    store->setValue("enabled", account.enabled);
    store->setValue("server", account.server);
    store->setValue("user", account.user);
    store->setValue("displayName", account.displayName);
    store->setValue("transport", account.transport);
    store->setValue("srtp", account.srtp);
    store->endGroup();
    store->sync();
}

PhoneOptions loadPhoneOptions()
{
    std::unique_ptr<QSettings> store(openStore());
    store->beginGroup(optionsGroup);
    const PhoneOptions defaults;
    PhoneOptions options;
    options.dialThroughPhone = store->value("dialThroughPhone", defaults.dialThroughPhone).toBool();
    options.ringTimeoutSeconds =
        qBound(5, store->value("ringTimeoutSeconds", defaults.ringTimeoutSeconds).toInt(), 300);
    options.recordCalls = store->value("recordCalls", defaults.recordCalls).toBool();
    options.keepRecordingDays =
        qBound(0, store->value("keepRecordingDays", defaults.keepRecordingDays).toInt(), 3650);
    options.progressiveDialling =
        store->value("progressiveDialling", defaults.progressiveDialling).toBool();
    options.progressiveCountdownSeconds = qBound(
        1,
        store->value("progressiveCountdownSeconds", defaults.progressiveCountdownSeconds).toInt(),
        60);
    return options;
}

void savePhoneOptions(const PhoneOptions &options)
{
    std::unique_ptr<QSettings> store(openStore());
    store->beginGroup(optionsGroup);
    store->setValue("dialThroughPhone", options.dialThroughPhone);
    store->setValue("ringTimeoutSeconds", options.ringTimeoutSeconds);
    store->setValue("recordCalls", options.recordCalls);
    store->setValue("keepRecordingDays", options.keepRecordingDays);
    store->setValue("progressiveDialling", options.progressiveDialling);
    store->setValue("progressiveCountdownSeconds", options.progressiveCountdownSeconds);
    store->endGroup();
    store->sync();
}

QString phoneServerHost(const QString &server)
{
    return server.section(QLatin1Char(':'), 0, 0);
}

int phoneServerPort(const QString &server)
{
    return server.contains(QLatin1Char(':')) ? server.section(QLatin1Char(':'), 1).toInt() : 0;
}

QString phoneServerProblem(const QString &server)
{
    if (server.isEmpty())
        return QStringLiteral("请输入电话服务器地址.");
    if (server.size() > 253 || hasForbiddenCharacter(server, QStringLiteral("@;<>\"',/\\?#[]")))
        return QStringLiteral(
            "服务器地址只能是 主机名 或 主机名:端口, 不能含空格、@、;、< 等字符.");
    const int colons = int(server.count(QLatin1Char(':')));
    if (colons > 1 || phoneServerHost(server).isEmpty())
        return QStringLiteral("服务器地址只能是 主机名 或 主机名:端口.");
    if (colons == 1) {
        bool number = false;
        const int port = server.section(QLatin1Char(':'), 1).toInt(&number);
        if (!number || port < 1 || port > 65535)
            return QStringLiteral("服务器端口必须是 1 到 65535 之间的数字.");
    }
    return QString();
}

QString phoneUserProblem(const QString &user)
{
    if (user.isEmpty())
        return QStringLiteral("请输入电话账号的用户名.");
    if (user.size() > 64 || hasForbiddenCharacter(user, QStringLiteral("@;<>\"':/\\?#[]")))
        return QStringLiteral("用户名不能含空格、@、;、< 等字符.");
    return QString();
}

QString phoneDisplayNameProblem(const QString &name)
{
    for (const QChar c : name) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('"') ||
            c == QLatin1Char('<') || c == QLatin1Char('>') || c.category() == QChar::Other_Control)
            return QStringLiteral("显示名称不能含换行、引号或 < > 字符.");
    }
    if (name.size() > 64)
        return QStringLiteral("显示名称不能超过 64 个字符.");
    return QString();
}
