#include "phonepassword.h"

#include "widgets/keyring.h"

namespace {
// The keyring's entry names the account, not the password.
Keyring::Entry entry(const PhoneAccount &account)
{
    return {QStringLiteral("CallLedger 电话账号"), account.user + QLatin1Char('@') + account.server,
            PhonePassword::unavailableNote()};
}
} // namespace

QString PhonePassword::unavailableNote()
{
    return QStringLiteral("桌面密钥环不可用，电话账号密码只保留到本次程序退出");
}

void PhonePassword::read(const PhoneAccount &account, QObject *receiver, ReadAnswer answer)
{
    Keyring::read(entry(account), receiver, std::move(answer));
}

void PhonePassword::write(const PhoneAccount &account, const QString &password, QObject *receiver,
                          WriteAnswer answer)
{
    Keyring::write(entry(account), password, receiver, std::move(answer));
}
