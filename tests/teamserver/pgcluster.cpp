#include "pgcluster.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>

#include <unistd.h>

using namespace Qt::StringLiterals;

PgCluster::~PgCluster()
{
    if (m_folder.isEmpty())
        return;
    run(asServer(u"pg_ctl"_s,
                 {u"-D"_s, m_folder + u"/data"_s, u"-m"_s, u"immediate"_s, u"stop"_s}));
    QDir(m_folder).removeRecursively();
}

QStringList PgCluster::asServer(const QString &tool, const QStringList &arguments) const
{
    const QStringList command = QStringList{m_bin + u'/' + tool} + arguments;
    if (geteuid() != 0)
        return command;
    return QStringList{u"runuser"_s, u"-u"_s, u"nobody"_s, u"--"_s} + command;
}

void PgCluster::prepare(QProcess &process) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"PGHOST"_s, m_folder);
    env.insert(u"PGPORT"_s, QString::number(m_port));
    env.insert(u"PGUSER"_s, u"postgres"_s);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(m_folder);
}

int PgCluster::run(const QStringList &command, QString *output, const QStringList &environment,
                   const QByteArray &input)
{
    QProcess process;
    prepare(process);
    QProcessEnvironment env = process.processEnvironment();
    for (const QString &pair : environment)
        env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    process.setProcessEnvironment(env);
    process.start(command.first(), command.mid(1));
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    if (code != 0)
        qWarning().noquote() << command.first() << process.readAllStandardError();
    return code;
}

bool PgCluster::create(QString *error)
{
    // Debian keeps the server tools out of PATH.
    QDir versions(u"/usr/lib/postgresql"_s);
    const QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    QByteArray folder = QDir::tempPath().toLocal8Bit() + "/teamserver-XXXXXX";
    if (found.isEmpty() || !mkdtemp(folder.data()) ||
        (geteuid() == 0 && chown(folder.constData(), 65534, 65534) != 0)) {
        *error = u"no PostgreSQL server tools, or no folder for nobody"_s;
        return false;
    }
    m_bin = versions.filePath(found.last() + u"/bin"_s);
    m_folder = QString::fromLocal8Bit(folder);
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    m_port = probe.serverPort();
    probe.close();
    const QString data = m_folder + u"/data"_s;
    if (run(asServer(u"initdb"_s, {u"-D"_s, data, u"-U"_s, u"postgres"_s, u"--auth-local=trust"_s,
                                   u"--auth-host=scram-sha-256"_s})) != 0) {
        *error = u"initdb failed"_s;
        return false;
    }
    const QString certificates = uR"(set -e; cd "$0"; ip=subjectAltName=IP:127.0.0.1
        key="-newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2"
        openssl req -x509 $key -subj /CN=ca -keyout ca.key -out ca.crt
        openssl req -x509 $key -subj /CN=127.0.0.1 -addext $ip -keyout stranger.key -out stranger.crt
        openssl req $key -subj /CN=127.0.0.1 -keyout server.key -out server.csr
        echo $ip > ip; openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial \
            -days 2 -extfile ip -out server.crt; chmod 600 server.key; chown --reference=. server.key)"_s;
    if (run({u"sh"_s, u"-c"_s, certificates, m_folder}) != 0)
        return false;
    QFile conf(data + u"/postgresql.conf"_s);
    conf.open(QIODevice::Append);
    conf.write(u"listen_addresses = '127.0.0.1'\nport = %1\nunix_socket_directories = '%2'\n"
               "fsync = off\nssl = on\nssl_cert_file = '%2/server.crt'\n"
               "ssl_key_file = '%2/server.key'\nlog_statement = 'ddl'\n"_s.arg(m_port)
                   .arg(m_folder)
                   .toUtf8());
    conf.close();
    const QStringList roles[] = {
        {u"member"_s, u"m1"_s}, {u"member"_s, u"m2"_s}, {u"leader"_s, u"boss"_s, u"m1"_s, u"m2"_s}};
    bool ok = start();
    for (const QStringList &role : roles)
        ok = ok && setup(QStringList{u"team"_s} + role, password(role.at(1))) == 0;
    ok = ok &&
         sql(u"SET log_statement = 'none'; CREATE ROLE outsider LOGIN PASSWORD 'pw-outsider'"_s);
    if (!ok)
        *error = u"the server did not start or the setup script failed"_s;
    return ok;
}

bool PgCluster::start()
{
    return run(asServer(u"pg_ctl"_s, {u"-D"_s, m_folder + u"/data"_s, u"-l"_s, m_folder + u"/log"_s,
                                      u"-w"_s, u"start"_s})) == 0;
}

bool PgCluster::stop()
{
    return run(asServer(u"pg_ctl"_s, {u"-D"_s, m_folder + u"/data"_s, u"-m"_s, u"fast"_s, u"-w"_s,
                                      u"stop"_s})) == 0;
}

TeamServerSettings PgCluster::settings(const QString &member) const
{
    TeamServerSettings settings;
    settings.enabled = true;
    settings.host = u"127.0.0.1"_s;
    settings.port = m_port;
    settings.database = u"team"_s;
    settings.member = member;
    settings.caFile = file(u"ca.crt"_s);
    return settings;
}

bool PgCluster::sql(const QString &statement, QString *output, const QString &database)
{
    return run({u"psql"_s, u"-XqAt"_s, u"-v"_s, u"ON_ERROR_STOP=1"_s, u"-d"_s, database}, output,
               {}, statement.toUtf8()) == 0;
}

int PgCluster::setup(const QStringList &arguments, const QString &password)
{
    return run(QStringList{u"" TEAMSERVER_SETUP ""_s} + arguments, nullptr,
               {u"CALLLEDGER_TEAM_PASSWORD="_s + password});
}
