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
    // libpq's sslmode: prefer, require or verify-full.
    QString tlsMode = QStringLiteral("prefer");

    bool complete() const { return !host.isEmpty() && !database.isEmpty() && !member.isEmpty(); }
};

QStringList teamServerTlsModes();
TeamServerSettings loadTeamServerSettings();
void saveTeamServerSettings(const TeamServerSettings &settings);
