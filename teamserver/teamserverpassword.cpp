#include "teamserverpassword.h"

#include <QHash>
#include <QPointer>

#include <qt6keychain/keychain.h>

namespace {
const QString service = QStringLiteral("CallLedger 团队服务器");

// The keyring's entry names the server and the member, not the password.
QString entryKey(const TeamServerSettings &settings)
{
    return settings.member + QLatin1Char('@') + settings.host + QLatin1Char(':') +
           QString::number(settings.port) + QLatin1Char('/') + settings.database;
}

// The session's copy, for when the keyring cannot be reached.
QHash<QString, QString> &sessionPasswords()
{
    static QHash<QString, QString> passwords;
    return passwords;
}
} // namespace

QString TeamServerPassword::unavailableNote()
{
    return QStringLiteral("桌面密钥环不可用，密码只保留到本次程序退出");
}

void TeamServerPassword::read(const TeamServerSettings &settings, QObject *receiver,
                              ReadAnswer answer)
{
    const QString key = entryKey(settings);
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

void TeamServerPassword::write(const TeamServerSettings &settings, const QString &password,
                               QObject *receiver, WriteAnswer answer)
{
    const QString key = entryKey(settings);
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
