#pragma once

#include "teamserver/teamserversettings.h"

#include <QString>

#include <functional>

class QObject;

// The team server password lives in the desktop's keyring (through
// QtKeychain), never in the data file or the settings file. When no keyring
// service answers (a bare session, the tests), it is kept in memory until
// the program ends, and the note says so.
namespace TeamServerPassword {
using ReadAnswer = std::function<void(const QString &password, const QString &note)>;
using WriteAnswer = std::function<void(const QString &note)>;

// Both answer later on the receiver's thread (nothing when it is gone).
void read(const TeamServerSettings &settings, QObject *receiver, ReadAnswer answer);
void write(const TeamServerSettings &settings, const QString &password, QObject *receiver,
           WriteAnswer answer);
QString unavailableNote();
} // namespace TeamServerPassword
