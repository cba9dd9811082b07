#include "qtsingleapplication.h"

#include "app/instancelock.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

QtSingleApplication::QtSingleApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    m_programKey = programInstanceKey(applicationFilePath());
    // The data file is mwdb.dat in the working folder.
    m_dataKey = dataFolderInstanceKey(QDir::currentPath());
    // The sockets sit beside the locks, under full paths: a bare name would
    // land in the shared temporary folder, where another session replaces it.
    const QDir folder(privateRuntimeFolder(&m_lockError));
    m_programKey = folder.filePath(m_programKey);
    m_dataKey = folder.filePath(m_dataKey);
    m_programLock =
        std::make_unique<InstanceLock>(m_programKey + QStringLiteral(".lock"));
    m_dataLock =
        std::make_unique<InstanceLock>(m_dataKey + QStringLiteral(".lock"));
}

QtSingleApplication::~QtSingleApplication() = default;

bool QtSingleApplication::isRunning()
{
    if (m_checked)
        return m_running;
    m_checked = true;
    if (!m_lockError.isEmpty())
        return false;
    for (const auto &[lock, key] :
         {std::pair{m_programLock.get(), m_programKey}, std::pair{m_dataLock.get(), m_dataKey}}) {
        switch (lock->acquire()) {
        case InstanceLock::State::Acquired:
            break;
        case InstanceLock::State::HeldByLiveProcess:
            m_running = true;
            m_runningKey = key;
            return true;
        case InstanceLock::State::Failed:
            m_lockError = lock->errorText();
            return false;
        }
    }
    startListening(m_programKey);
    startListening(m_dataKey);
    return false;
}

void QtSingleApplication::startListening(const QString &key)
{
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket left behind by a crashed instance is stale.
    QLocalServer::removeServer(key);
    if (!server->listen(key))
        return;
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { emit messageReceived(QString::fromUtf8(socket->readAll())); });
        }
    });
}

bool QtSingleApplication::sendMessage(const QString &message, int timeoutMs)
{
    if (!isRunning())
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_runningKey);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(message.toUtf8());
    const bool written = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return written;
}
