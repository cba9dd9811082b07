#include "qtsingleapplication.h"

#include "app/instancelock.h"
#include "common/safefile.h"

#include <QFile>
#include <QFileInfo>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace {
// The running instance's data folder sits beside its program lock, in the
// private runtime folder, so a start on another folder can name it.
void writeRunningFolder(const QString &path, const QString &folder)
{
    SafeFileWriter file(path);
    const QByteArray bytes = folder.toUtf8();
    if (file.open() && file.file().write(bytes) == bytes.size())
        file.commit();
}

QString readRunningFolder(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || QFileInfo(path).isSymLink() || !file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.read(4096));
}
} // namespace

QtSingleApplication::QtSingleApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    m_programKey = programInstanceKey(applicationFilePath());
    // The data file is mwdb.dat in the working folder.
    m_dataFolder = QDir::currentPath();
    m_dataKey = dataFolderInstanceKey(m_dataFolder);
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
    const InstanceLock::State program = m_programLock->acquire();
    if (program == InstanceLock::State::Failed) {
        m_lockError = m_programLock->errorText();
        return false;
    }
    // Asked even when the program runs already: a free data folder means the
    // running instance works elsewhere, and handing over would bring up the
    // other folder's window.
    const InstanceLock::State data = m_dataLock->acquire();
    if (data == InstanceLock::State::Failed) {
        m_lockError = m_dataLock->errorText();
        return false;
    }
    if (data == InstanceLock::State::HeldByLiveProcess) {
        m_running = true;
        m_runningKey = m_dataKey;
        return true;
    }
    const QString folderFile = m_programKey + QStringLiteral(".folder");
    if (program == InstanceLock::State::HeldByLiveProcess) {
        m_dataLock.reset();
        m_running = true;
        m_otherFolder = true;
        m_runningKey = m_programKey;
        m_runningFolder = readRunningFolder(folderFile);
        return true;
    }
    writeRunningFolder(folderFile, m_dataFolder);
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
