#pragma once

#include "teamserver/teamserversettings.h"

#include <QStringList>

class QProcess;

// A throwaway PostgreSQL cluster for the team server tests: initdb in a
// temporary folder (owned by nobody when the tests run as root, since the
// server refuses root), a Unix socket in that folder for the superuser and
// TCP with TLS (ca.crt) on a free loopback port for the members, and the shipped setup script
// run for the database "team": members m1 and m2, leader boss over both, and
// outsider, a login in neither group. Removed by the destructor.
class PgCluster
{
public:
    ~PgCluster();
    bool create(QString *error);
    bool start();
    bool stop();

    TeamServerSettings settings(const QString &member) const;
    static QString password(const QString &member) { return QStringLiteral("pw-") + member; }
    // Runs SQL through psql as the superuser; the output, one row a line.
    bool sql(const QString &statement, QString *output = nullptr,
             const QString &database = QStringLiteral("team"));
    // Points a psql process at the cluster as the superuser.
    void prepare(QProcess &process) const;
    // Runs the shipped setup script; its exit code.
    int setup(const QStringList &arguments, const QString &password = QString());
    // ca.crt, stranger.key and .crt (signed by nobody), log (DDL is logged).
    QString file(const QString &name) const { return m_folder + u'/' + name; }

private:
    // The command's exit code (-1 when it did not end normally).
    int run(const QStringList &command, QString *output = nullptr,
            const QStringList &environment = {}, const QByteArray &input = {});
    QStringList asServer(const QString &tool, const QStringList &arguments) const;

    QString m_folder, m_bin;
    int m_port = 0;
};
