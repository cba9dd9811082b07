#include "qtsingleapplication.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

QtSingleApplication::QtSingleApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // Instances are told apart by the program's file path.
    const QByteArray hash =
        QCryptographicHash::hash(applicationFilePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    m_key = QStringLiteral("callledger-") + QString::fromLatin1(hash);
    QString lockDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (lockDir.isEmpty())
        lockDir = QDir::tempPath();
    m_lock = std::make_unique<QLockFile>(QDir(lockDir).filePath(m_key + QStringLiteral(".lock")));
    m_lock->setStaleLockTime(0);
}

QtSingleApplication::~QtSingleApplication() = default;

bool QtSingleApplication::isRunning()
{
    if (!m_checked) {
        m_checked = true;
        m_running = !m_lock->tryLock(0);
        if (!m_running)
            startListening();
    }
    return m_running;
}

void QtSingleApplication::startListening()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket left behind by a crashed instance is stale.
    QLocalServer::removeServer(m_key);
    if (!m_server->listen(m_key))
        return;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                emit messageReceived(QString::fromUtf8(socket->readAll()));
            });
        }
    });
}

bool QtSingleApplication::sendMessage(const QString &message, int timeoutMs)
{
    if (!isRunning())
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_key);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(message.toUtf8());
    const bool written = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return written;
}
