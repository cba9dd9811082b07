#pragma once

#include "store/changewatch.h"
#include "teamserver/teamserversettings.h"

#include <QObject>

#include <memory>

class ActivityPublisher;
class QLabel;
class QMainWindow;
class QTimer;
class StatusNotices;
class TeamServerReader;

// The team server in the main window: menu entries, the status-bar field,
// the publisher fed by a change watch of the data file, and the reader the
// leader's windows share. One per program.
class TeamServerController : public QObject
{
    Q_OBJECT
public:
    explicit TeamServerController(QMainWindow *window);
    ~TeamServerController() override;

    static TeamServerController *instance();

    // New settings from the dialog: publishing starts again with them.
    void apply(const TeamServerSettings &settings, const QString &password);
    // The leader's reader, or null while no server is set up (or its password
    // is missing); whyNoReader() says which.
    TeamServerReader *reader() const { return m_reader.get(); }
    static QString whyNoReader();
    ActivityPublisher *publisher() const { return m_publisher.get(); }
    QLabel *statusLabel() const { return m_statusLabel; }
    // A passing remark beside the status (the keyring refused the password).
    void showNote(const QString &note);

private:
    void watchData();
    void showStatus(const QString &text);
    // The settings dialog, opened from the status-bar notice.
    void openSettings();

    QMainWindow *m_window;
    StatusNotices *m_notices = nullptr;
    QLabel *m_statusLabel = nullptr;
    QTimer *m_noteTimer = nullptr;
    bool m_needsPassword = false;
    QTimer *m_watchTimer = nullptr;
    DataChangeWatch m_watch;
    std::unique_ptr<ActivityPublisher> m_publisher;
    std::unique_ptr<TeamServerReader> m_reader;
};

// Adds the team server to the main window (menu, status bar, publishing);
// called once from its constructor.
void setUpTeamServer(QMainWindow *window);
