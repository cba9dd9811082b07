#include "keyring.h"

#include <QHash>
#include <QPointer>

#include <qt6keychain/keychain.h>

namespace {
// The session's copy, for when the keyring cannot be reached.
QHash<QString, QString> &sessionPasswords()
{
    static QHash<QString, QString> passwords;
    return passwords;
}

QString sessionKey(const Keyring::Entry &entry)
{
    return entry.service + QLatin1Char('\n') + entry.key;
}
} // namespace

void Keyring::read(const Entry &entry, QObject *receiver, ReadAnswer answer)
{
    auto *job = new QKeychain::ReadPasswordJob(entry.service);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(entry.key);
    QPointer<QObject> guard(receiver);
    QObject::connect(job, &QKeychain::Job::finished, job, [job, entry, guard, answer] {
        if (!guard)
            return;
        const QString kept = sessionPasswords().value(sessionKey(entry));
        if (job->error() == QKeychain::NoError)
            answer(job->textData(), QString());
        else if (job->error() == QKeychain::EntryNotFound)
            answer(kept, QString());
        else
            answer(kept, entry.unavailableNote);
    });
    job->start();
}

void Keyring::write(const Entry &entry, const QString &password, QObject *receiver,
                    WriteAnswer answer)
{
    sessionPasswords().insert(sessionKey(entry), password);
    auto *job = new QKeychain::WritePasswordJob(entry.service);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(entry.key);
    job->setTextData(password);
    QPointer<QObject> guard(receiver);
    const QString note = entry.unavailableNote;
    QObject::connect(job, &QKeychain::Job::finished, job, [job, guard, answer, note] {
        if (guard)
            answer(job->error() == QKeychain::NoError ? QString() : note);
    });
    job->start();
}
