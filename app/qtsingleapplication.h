#pragma once

#include <QApplication>
#include <QLockFile>
#include <QString>

#include <memory>

class QLocalServer;

// One running instance per user and program file: the first instance holds a
// lock file and listens on a local socket; later ones see the lock and may
// hand it a message before they quit.
class QtSingleApplication : public QApplication
{
    Q_OBJECT
public:
    QtSingleApplication(int &argc, char **argv);
    ~QtSingleApplication() override;

    bool isRunning();
    bool sendMessage(const QString &message, int timeoutMs = 5000);

signals:
    void messageReceived(const QString &message);

private:
    void startListening();

    QString m_key;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    bool m_checked = false;
    bool m_running = false;
};
