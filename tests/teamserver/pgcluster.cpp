#include "pgcluster.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>

#include <unistd.h>

namespace {
QString serverBinaries()
{
    // Debian keeps the server tools out of PATH.
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    const QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    return found.isEmpty() ? QString() : versions.filePath(found.last() + QStringLiteral("/bin"));
}
} // namespace

PgCluster::~PgCluster()
{
    if (m_folder.isEmpty())
        return;
    run(asServer(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_folder + QStringLiteral("/data"),
                                            QStringLiteral("-m"), QStringLiteral("immediate"),
                                            QStringLiteral("stop")}));
    QDir(m_folder).removeRecursively();
}

QStringList PgCluster::asServer(const QString &tool, const QStringList &arguments) const
{
    const QStringList command = QStringList{m_bin + QLatin1Char('/') + tool} + arguments;
    if (geteuid() != 0)
        return command;
    return QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("nobody"),
                       QStringLiteral("--")} +
           command;
}

int PgCluster::run(const QStringList &command, QString *output, const QStringList &environment,
                    const QByteArray &input)
{
    QProcess process;
    prepare(process);
    QProcessEnvironment env = process.processEnvironment();
    for (const QString &pair : environment)
        env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(env);
    process.start(command.first(), command.mid(1));
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    const QString text = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    if (output)
        *output = text;
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    if (code != 0)
        qWarning().noquote() << command.first() << QString::fromUtf8(process.readAllStandardError());
    return code;
}

void PgCluster::prepare(QProcess &process) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGHOST"), m_folder);
    env.insert(QStringLiteral("PGPORT"), QString::number(m_port));
    env.insert(QStringLiteral("PGUSER"), QStringLiteral("postgres"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(m_folder);
}

bool PgCluster::create(QString *error)
{
    m_bin = serverBinaries();
    QByteArray folder = QDir::tempPath().toLocal8Bit() + "/teamserver-XXXXXX";
    if (m_bin.isEmpty() || !mkdtemp(folder.data())) {
        *error = QStringLiteral("no PostgreSQL server tools or no temporary folder");
        return false;
    }
    m_folder = QString::fromLocal8Bit(folder);
    if (geteuid() == 0 && chown(folder.constData(), 65534, 65534) != 0) {
        *error = QStringLiteral("cannot hand the folder to nobody");
        return false;
    }
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    m_port = probe.serverPort();
    probe.close();
    const QString data = m_folder + QStringLiteral("/data");
    if (run(asServer(QStringLiteral("initdb"),
                     {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("postgres"),
                      QStringLiteral("--auth-local=trust"),
                      QStringLiteral("--auth-host=scram-sha-256")})) != 0) {
        *error = QStringLiteral("initdb failed");
        return false;
    }
    QFile conf(data + QStringLiteral("/postgresql.conf"));
    conf.open(QIODevice::Append);
    conf.write(QStringLiteral("listen_addresses = '127.0.0.1'\nport = %1\n"
                              "unix_socket_directories = '%2'\nfsync = off\nssl = off\n")
                   .arg(m_port)
                   .arg(m_folder)
                   .toUtf8());
    conf.close();
    if (!start()) {
        *error = QStringLiteral("the server did not start");
        return false;
    }
    const bool ok = setup({QStringLiteral("team"), QStringLiteral("member"), QStringLiteral("m1")},
                          password(QStringLiteral("m1"))) == 0 &&
                    setup({QStringLiteral("team"), QStringLiteral("member"), QStringLiteral("m2")},
                          password(QStringLiteral("m2"))) == 0 &&
                    setup({QStringLiteral("team"), QStringLiteral("leader"), QStringLiteral("boss"),
                           QStringLiteral("m1"), QStringLiteral("m2")},
                          password(QStringLiteral("boss"))) == 0 &&
                    sql(QStringLiteral("CREATE ROLE outsider LOGIN PASSWORD 'pw-outsider'"));
    if (!ok)
        *error = QStringLiteral("the setup script failed");
    return ok;
}

bool PgCluster::start()
{
    return run(asServer(QStringLiteral("pg_ctl"),
                        {QStringLiteral("-D"), m_folder + QStringLiteral("/data"), QStringLiteral("-l"),
                         m_folder + QStringLiteral("/log"), QStringLiteral("-w"),
                         QStringLiteral("start")})) == 0;
}

bool PgCluster::stop()
{
    return run(asServer(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_folder + QStringLiteral("/data"),
                                                   QStringLiteral("-m"), QStringLiteral("fast"),
                                                   QStringLiteral("-w"), QStringLiteral("stop")})) == 0;
}

TeamServerSettings PgCluster::settings(const QString &member) const
{
    TeamServerSettings settings;
    settings.enabled = true;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = m_port;
    settings.database = QStringLiteral("team");
    settings.member = member;
    return settings;
}

bool PgCluster::sql(const QString &statement, QString *output, const QString &database)
{
    return run({QStringLiteral("psql"), QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-At"),
                QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-d"), database},
               output, {}, statement.toUtf8()) == 0;
}

int PgCluster::setup(const QStringList &arguments, const QString &password)
{
    return run(QStringList{QStringLiteral(TEAMSERVER_SETUP)} + arguments, nullptr,
               {QStringLiteral("CALLLEDGER_TEAM_PASSWORD=") + password});
}
