#pragma once

#include <QString>

#include <functional>

class QObject;

// Passwords live in the desktop's keyring (through QtKeychain), never in the
// data folder or the settings file. When no keyring answers (a bare session,
// the tests), the password is kept in memory until the program ends, and the
// caller's note says so.
namespace Keyring {
using ReadAnswer = std::function<void(const QString &password, const QString &note)>;
using WriteAnswer = std::function<void(const QString &note)>;

// An entry is named by its service and key; neither holds the password.
struct Entry
{
    QString service;
    QString key;
    QString unavailableNote;
};

// Both answer later on the receiver's thread (nothing when it is gone).
void read(const Entry &entry, QObject *receiver, ReadAnswer answer);
void write(const Entry &entry, const QString &password, QObject *receiver, WriteAnswer answer);
} // namespace Keyring
