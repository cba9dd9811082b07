#include "teamserverpassword.h"

#include "widgets/keyring.h"

namespace {
// The keyring's entry names the server and the member, not the password.
Keyring::Entry entry(const TeamServerSettings &settings)
{
    return {QStringLiteral("CallLedger 团队服务器"),
            settings.member + QLatin1Char('@') + settings.host + QLatin1Char(':') +
                QString::number(settings.port) + QLatin1Char('/') + settings.database,
            TeamServerPassword::unavailableNote()};
}
} // namespace

QString TeamServerPassword::unavailableNote()
{
    return QStringLiteral("桌面密钥环不可用，密码只保留到本次程序退出");
}

void TeamServerPassword::read(const TeamServerSettings &settings, QObject *receiver,
                              ReadAnswer answer)
{
    Keyring::read(entry(settings), receiver, std::move(answer));
}

void TeamServerPassword::write(const TeamServerSettings &settings, const QString &password,
                               QObject *receiver, WriteAnswer answer)
{
    Keyring::write(entry(settings), password, receiver, std::move(answer));
}
