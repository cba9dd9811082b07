#include "phonenetwork.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTest>
#include <QUdpSocket>
#include <QtMath>

#include <unistd.h>

namespace {
constexpr uid_t nobody = 65534;

int freePort()
{
    // A port free for both UDP and TCP.
    for (int attempt = 0; attempt < 20; ++attempt) {
        QTcpServer tcp;
        if (!tcp.listen(QHostAddress::LocalHost))
            continue;
        QUdpSocket udp;
        if (udp.bind(QHostAddress::LocalHost, tcp.serverPort()))
            return tcp.serverPort();
    }
    return 0;
}

// One second of a 440 Hz tone, 16-bit mono 16 kHz: the far end's voice.
QByteArray toneWav()
{
    const int rate = 16000;
    QByteArray samples;
    QDataStream out(&samples, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (int i = 0; i < rate; ++i)
        out << qint16(12000 * qSin(2 * M_PI * 440 * i / rate));
    QByteArray wav;
    QDataStream head(&wav, QIODevice::WriteOnly);
    head.setByteOrder(QDataStream::LittleEndian);
    head.writeRawData("RIFF", 4);
    head << quint32(36 + samples.size());
    head.writeRawData("WAVEfmt ", 8);
    head << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2)
         << quint16(2) << quint16(16);
    head.writeRawData("data", 4);
    head << quint32(samples.size());
    return wav + samples;
}
} // namespace

PhoneNetwork::PhoneNetwork() = default;

PhoneNetwork::~PhoneNetwork()
{
    if (m_farEnd) {
        tell(QStringLiteral("quit"));
        if (!m_farEnd->waitForFinished(3000))
            m_farEnd->kill();
        m_farEnd->waitForFinished(3000);
    }
    stopRegistrar();
    if (!m_folder.isEmpty())
        QDir(m_folder).removeRecursively();
}

QStringList PhoneNetwork::asNobody(const QStringList &command) const
{
    if (geteuid() != 0)
        return command;
    return QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("nobody"),
                       QStringLiteral("--")} +
           command;
}

QString PhoneNetwork::playFile() const
{
    return m_folder + QStringLiteral("/tone.wav");
}

bool PhoneNetwork::start(QString *error)
{
    QByteArray folder = QDir::tempPath().toLocal8Bit() + "/phonenet-XXXXXX";
    if (!mkdtemp(folder.data())) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    m_folder = QString::fromLocal8Bit(folder);
    QFile(m_folder).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                   QFile::ReadOther | QFile::ExeOther);
    const auto write = [this](const QString &name, const QByteArray &bytes) {
        QFile file(m_folder + QLatin1Char('/') + name);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    // db_text wants the table versions and ha1 columns, even when it computes them.
    bool ok = write(QStringLiteral("version"),
                    "table_name(string) table_version(int)\nsubscriber:7\nlocation:9\n") &&
              write(QStringLiteral("subscriber"),
                    "id(int,auto) username(string) domain(string) password(string) "
                    "ha1(string,null) ha1b(string,null)\n"
                    "1:1001:127.0.0.1:pw-1001::\n2:1002:127.0.0.1:pw-1002::\n") &&
              write(QStringLiteral("tone.wav"), toneWav());
    if (geteuid() == 0) {
        for (const QString &name : QDir(m_folder).entryList(QDir::Files))
            ok = ok && chown(QFile::encodeName(m_folder + QLatin1Char('/') + name).constData(),
                             nobody, nobody) == 0;
        ok = ok && chown(folder.constData(), nobody, nobody) == 0;
    }
    m_sipPort = freePort();
    m_gatewayPort = freePort();
    if (!ok || m_sipPort == 0 || m_gatewayPort == 0) {
        *error = QStringLiteral("cannot prepare the registrar's folder or ports");
        return false;
    }
    if (!startRegistrar()) {
        *error =
            QStringLiteral("kamailio did not start: ") + QString::fromLocal8Bit(m_registrarLog);
        return false;
    }
    m_farEnd = std::make_unique<QProcess>();
    m_farEnd->setProcessChannelMode(QProcess::SeparateChannels);
    m_farEnd->setStandardErrorFile(m_folder + QStringLiteral("/farend.log"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_folder);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder);
    m_farEnd->setProcessEnvironment(env);
    QObject::connect(m_farEnd.get(), &QProcess::readyReadStandardOutput, m_farEnd.get(),
                     [this] { readFarEnd(); });
    const QStringList command =
        asNobody({QStringLiteral(FAREND), QString::number(m_gatewayPort),
                  QString::number(freePort()), playFile(), m_folder, QString::number(m_sipPort)});
    m_farEnd->start(command.first(), command.mid(1));
    if (waitFor(QStringLiteral("ready")).isEmpty()) {
        *error = QStringLiteral("the far end did not start");
        return false;
    }
    return true;
}

bool PhoneNetwork::startRegistrar()
{
    m_registrar = std::make_unique<QProcess>();
    m_registrar->setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(m_registrar.get(), &QProcess::readyRead, m_registrar.get(),
                     [this] { m_registrarLog += m_registrar->readAll(); });
    const QString listen = QStringLiteral("127.0.0.1:%1").arg(m_sipPort);
    const QStringList command = asNobody(
        {QStringLiteral("kamailio"), QStringLiteral("-f"), QStringLiteral(KAMAILIO_CONFIG),
         QStringLiteral("-DD"), QStringLiteral("-E"), QStringLiteral("-Y"), m_folder,
         QStringLiteral("-l"), QStringLiteral("udp:") + listen, QStringLiteral("-l"),
         QStringLiteral("tcp:") + listen, QStringLiteral("-A"),
         QStringLiteral("DBURL=\"text://%1\"").arg(m_folder), QStringLiteral("-A"),
         QStringLiteral("GATEWAY=\"sip:127.0.0.1:%1\"").arg(m_gatewayPort), QStringLiteral("-A"),
         QStringLiteral("GATEWAY_PORT=%1").arg(m_gatewayPort), QStringLiteral("-A"),
         QStringLiteral("NOWHERE=\"sip:127.0.0.1:%1;transport=tcp\"").arg(closedPort())});
    m_registrar->start(command.first(), command.mid(1));
    if (!m_registrar->waitForStarted(5000))
        return false;
    // Ready once it answers on TCP.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000 && m_registrar->state() == QProcess::Running) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, quint16(m_sipPort));
        if (probe.waitForConnected(200))
            return true;
        QTest::qWait(50);
    }
    return false;
}

bool PhoneNetwork::stopRegistrar()
{
    if (!m_registrar)
        return true;
    m_registrar->terminate();
    if (!m_registrar->waitForFinished(5000))
        m_registrar->kill();
    m_registrar->waitForFinished(2000);
    m_registrarLog += m_registrar->readAll();
    m_registrar.reset();
    // Its children may hold the port a moment longer.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000) {
        QTcpServer probe;
        if (probe.listen(QHostAddress::LocalHost, quint16(m_sipPort)))
            return true;
        QTest::qWait(50);
    }
    return false;
}

int PhoneNetwork::registersFrom(const QString &user)
{
    if (m_registrar)
        m_registrarLog += m_registrar->readAll();
    return int(m_registrarLog.count(QStringLiteral("REGISTER %1\n").arg(user).toUtf8()));
}

PhoneAccount PhoneNetwork::account(const QString &user, const QString &transport) const
{
    PhoneAccount account;
    account.enabled = true;
    account.server = QStringLiteral("127.0.0.1:%1").arg(m_sipPort);
    account.user = user;
    account.displayName = QStringLiteral("测试坐席");
    account.transport = transport;
    return account;
}

int PhoneNetwork::closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

void PhoneNetwork::tell(const QString &command)
{
    if (m_farEnd && m_farEnd->state() == QProcess::Running)
        m_farEnd->write(command.toUtf8() + '\n');
}

void PhoneNetwork::readFarEnd()
{
    m_farEndOutput += m_farEnd->readAllStandardOutput();
    int end;
    while ((end = m_farEndOutput.indexOf('\n')) >= 0) {
        m_events.append(QString::fromUtf8(m_farEndOutput.left(end)));
        m_farEndOutput.remove(0, end + 1);
    }
}

void PhoneNetwork::mark()
{
    m_events.clear();
}

QStringList PhoneNetwork::eventsAbout(const QString &number) const
{
    QStringList about;
    for (const QString &event : m_events) {
        QStringList words = event.split(QLatin1Char(' '));
        if (words.value(1) == number) {
            words.removeAt(1);
            about << words.join(QLatin1Char(' '));
        }
    }
    return about;
}

QString PhoneNetwork::waitFor(const QString &prefix, int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (true) {
        for (int i = 0; i < m_events.size(); ++i) {
            if (m_events.at(i).startsWith(prefix)) {
                const QString line = m_events.at(i);
                m_events.remove(0, i + 1);
                return line;
            }
        }
        if (waited.elapsed() > ms || !m_farEnd)
            return QString();
        QTest::qWait(10);
    }
}
