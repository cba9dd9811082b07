#pragma once

#include <QString>
#include <QStringList>

// The built-in telephone's settings: the SIP account (its password lives in
// the desktop keyring, never here) and how calls are placed, timed out,
// recorded and chained. Kept in the settings file under a group of its own.
struct PhoneAccount
{
    bool enabled = false;
    // host or host:port of the SIP server.
    QString server;
    QString user;
    QString displayName;
    // "udp", "tcp" or "tls".
    QString transport = QStringLiteral("udp");
    bool srtp = false;

    bool complete() const { return !server.isEmpty() && !user.isEmpty(); }
    bool operator==(const PhoneAccount &other) const;
    bool operator!=(const PhoneAccount &other) const { return !(*this == other); }
};

struct PhoneOptions
{
    // Calls go through the account while it is on; the link of "拨号方式" otherwise.
    bool dialThroughPhone = true;
    // Seconds an outgoing call may ring before it counts as not answered.
    int ringTimeoutSeconds = 45;
    bool recordCalls = false;
    // Days recordings are kept; 0 keeps them.
    int keepRecordingDays = 0;
    // "保存并继续" dials the next person after a countdown.
    bool progressiveDialling = false;
    int progressiveCountdownSeconds = 5;
};

QStringList phoneTransports();

PhoneAccount loadPhoneAccount();
void savePhoneAccount(const PhoneAccount &account);
PhoneOptions loadPhoneOptions();
void savePhoneOptions(const PhoneOptions &options);

// Why the server ("host" or "host:port") cannot be used, or an empty text.
// Blanks, "@", ";", "<", ">", quotes and control characters would let the
// text reach a SIP header as something else.
QString phoneServerProblem(const QString &server);
// The same for the user name.
QString phoneUserProblem(const QString &user);
// The same for the display name (free text, but no line breaks or quotes).
QString phoneDisplayNameProblem(const QString &name);

// The server's host and port (0 when none is given).
QString phoneServerHost(const QString &server);
int phoneServerPort(const QString &server);
