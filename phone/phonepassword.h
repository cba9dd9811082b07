#pragma once

#include "common/phonesettings.h"

#include "widgets/keyring.h"

// The SIP account's password lives in the desktop's keyring (through
// QtKeychain), never in the data folder or the settings file. When no
// keyring answers, it is kept in memory until the program ends, and the
// note says so.
namespace PhonePassword {
using ReadAnswer = Keyring::ReadAnswer;
using WriteAnswer = Keyring::WriteAnswer;

// Both answer later on the receiver's thread (nothing when it is gone).
void read(const PhoneAccount &account, QObject *receiver, ReadAnswer answer);
void write(const PhoneAccount &account, const QString &password, QObject *receiver,
           WriteAnswer answer);
QString unavailableNote();
} // namespace PhonePassword
