#include "phonepassword.h"

#include <QHash>
#include <QPointer>

#include <qt6keychain/keychain.h>

namespace {
const QString service = QStringLiteral("CallLedger 电话账号");

// The keyring's entry names the account, not the password.
QString entryKey(const PhoneAccount &account)
{
    return account.user + QLatin1Char('@') + account.server;
}

QHash<QString, QString> &sessionPasswords()
{
    static QHash<QString, QString> passwords;
    return passwords;
}
} // namespace

QString PhonePassword::unavailableNote()
{
    return QStringLiteral("桌面密钥环不可用，电话账号密码只保留到本次程序退出");
}

void PhonePassword::read(const PhoneAccount &account, QObject *receiver, ReadAnswer answer)
{
    const QString key = entryKey(account);
    auto *job = new QKeychain::ReadPasswordJob(service);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(key);
    QPointer<QObject> guard(receiver);
    QObject::connect(job, &QKeychain::Job::finished, job, [job, key, guard, answer] {
        if (!guard)
            return;
        if (job->error() == QKeychain::NoError)
            answer(job->textData(), QString());
        else if (job->error() == QKeychain::EntryNotFound)
            answer(sessionPasswords().value(key), QString());
        else
            answer(sessionPasswords().value(key), unavailableNote());
    });
    job->start();
}

void PhonePassword::write(const PhoneAccount &account, const QString &password, QObject *receiver,
                          WriteAnswer answer)
{
    const QString key = entryKey(account);
    sessionPasswords().insert(key, password);
    auto *job = new QKeychain::WritePasswordJob(service);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(key);
    job->setTextData(password);
    QPointer<QObject> guard(receiver);
    QObject::connect(job, &QKeychain::Job::finished, job, [job, guard, answer] {
        if (guard)
            answer(job->error() == QKeychain::NoError ? QString() : unavailableNote());
    });
    job->start();
}
