#pragma once

#include <QApplication>
#include <QString>

#include <memory>

class InstanceLock;
class QLocalServer;

// One running instance per program file and per data folder: the first
// instance holds a lock for each and listens on a local socket under each
// name; a later one that finds either held by a live process may hand that
// instance a message before it quits.
class QtSingleApplication : public QApplication
{
    Q_OBJECT
public:
    QtSingleApplication(int &argc, char **argv);
    ~QtSingleApplication() override;

    bool isRunning();
    bool sendMessage(const QString &message, int timeoutMs = 5000);
    // Why a lock could not be taken although no other instance holds it;
    // empty when there was no such failure. Only meaningful after isRunning().
    QString lockError() const { return m_lockError; }
    // True when the running instance works on another data folder than this
    // start's; runningFolder() then names it (empty when it cannot be read).
    bool runningOnOtherFolder() const { return m_otherFolder; }
    QString runningFolder() const { return m_runningFolder; }
    // This start's data folder.
    QString dataFolder() const { return m_dataFolder; }

signals:
    void messageReceived(const QString &message);

private:
    void startListening(const QString &key);

    QString m_programKey;
    QString m_dataKey;
    QString m_runningKey;
    std::unique_ptr<InstanceLock> m_programLock;
    std::unique_ptr<InstanceLock> m_dataLock;
    QString m_lockError;
    QString m_dataFolder;
    QString m_runningFolder;
    bool m_otherFolder = false;
    bool m_checked = false;
    bool m_running = false;
};
