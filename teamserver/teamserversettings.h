#pragma once

#include <QString>
#include <QStringList>

// Where the team server is and who this agent is on it. Kept in the settings
// file under a group of its own; the password never is (see
// teamserverpassword.h).
struct TeamServerSettings
{
    bool enabled = false;
    QString host;
    int port = 5432;
    QString database;
    QString member;
    // libpq's sslmode: verify-full (the server proves itself with a
    // certificate of the team's CA) or require (encrypted, unverified).
    QString tlsMode = QStringLiteral("verify-full");
    // The team's CA certificate; empty for libpq's ~/.postgresql/root.crt.
    QString caFile;

    bool complete() const { return !host.isEmpty() && !database.isEmpty() && !member.isEmpty(); }
};

// The modes the dialog offers, the safe one first.
QStringList teamServerTlsModes();
TeamServerSettings loadTeamServerSettings();
void saveTeamServerSettings(const TeamServerSettings &settings);
