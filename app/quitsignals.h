#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

// SIGTERM (a desktop logout or shutdown), SIGINT and SIGHUP end the program
// the normal way: the handler only writes the signal's number to a pipe, and
// the event loop, reading it, calls quit (which closes the window as 退出系统
// does). A second such signal while quitting ends the process at once, by the
// signal's default action. The handlers are restored when this is destroyed.
class QuitSignals : public QObject
{
    Q_OBJECT
public:
    explicit QuitSignals(std::function<void()> quit, QObject *parent = nullptr);
    ~QuitSignals() override;

    // The signal that asked to quit (0 when none did).
    int received() const { return m_received; }

private:
    void readSignal();

    std::function<void()> m_quit;
    QSocketNotifier *m_notifier = nullptr;
    int m_received = 0;
};
