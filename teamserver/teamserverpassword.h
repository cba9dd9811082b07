#pragma once

#include "teamserver/teamserversettings.h"

#include "widgets/keyring.h"

// The team server password lives in the desktop's keyring (through
// QtKeychain), never in the data file or the settings file. When no keyring
// service answers (a bare session, the tests), it is kept in memory until
// the program ends, and the note says so.
namespace TeamServerPassword {
using ReadAnswer = Keyring::ReadAnswer;
using WriteAnswer = Keyring::WriteAnswer;

// Both answer later on the receiver's thread (nothing when it is gone).
void read(const TeamServerSettings &settings, QObject *receiver, ReadAnswer answer);
void write(const TeamServerSettings &settings, const QString &password, QObject *receiver,
           WriteAnswer answer);
QString unavailableNote();
} // namespace TeamServerPassword
