#pragma once

#include "common/phonesettings.h"

#include <QString>

#include <functional>

class QObject;

// The SIP account's password lives in the desktop's keyring (through
// QtKeychain), never in the data folder or the settings file. When no
// keyring answers, it is kept in memory until the program ends, and the
// note says so.
namespace PhonePassword {
using ReadAnswer = std::function<void(const QString &password, const QString &note)>;
using WriteAnswer = std::function<void(const QString &note)>;

// Both answer later on the receiver's thread (nothing when it is gone).
void read(const PhoneAccount &account, QObject *receiver, ReadAnswer answer);
void write(const PhoneAccount &account, const QString &password, QObject *receiver,
           WriteAnswer answer);
QString unavailableNote();
} // namespace PhonePassword
