#include "teamservercontroller.h"

#include "team/teammateexaminedialog.h"
#include "teamserver/activitypublisher.h"
#include "teamserver/memberlinks.h"
#include "teamserver/teamactivitydialog.h"
#include "teamserver/teamserverdialog.h"
#include "teamserver/teamserverpassword.h"
#include "teamserver/teamserverreader.h"
#include "widgets/statusnotices.h"

#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>

namespace {
QPointer<TeamServerController> current;
const QString statusTopic = QStringLiteral("teamserver");
const QString noteTopic = QStringLiteral("teamserver-note");

QString activitySummary(const ActivityValues &values)
{
    QStringList parts;
    for (int field = 0; field < ActivityFieldCount; ++field)
        parts << activityLabel(field) + QLatin1Char(' ') + activityText(field, values[field]);
    return parts.join(QStringLiteral(", "));
}

// The assessment shows what the member's program recorded beside what was reported.
void answerRecordedActivity(int teammateId, const QDate &from, const QDate &to, QObject *receiver,
                            std::function<void(const QString &)> show)
{
    TeamServerReader *reader = current ? current->reader() : nullptr;
    if (!reader) {
        show(TeamServerController::whyNoReader());
        return;
    }
    const QString member = loadServerMemberLinks().value(teammateId);
    if (member.isEmpty()) {
        show(QStringLiteral("未关联团队服务器成员 (在\"团队今日活动量\"中关联)"));
        return;
    }
    show(QStringLiteral("正在读取..."));
    reader->readMember(
        member, from, to, receiver, [show](const ActivityValues &values, const QString &error) {
            show(error.isEmpty() ? activitySummary(values)
                                 : QStringLiteral("无法读取: ") + error.simplified());
        });
}
} // namespace

TeamServerController::TeamServerController(QMainWindow *window) : QObject(window), m_window(window)
{
    current = this;
    m_notices = StatusNotices::of(window->statusBar());
    m_statusLabel = m_notices->label(statusTopic, QStringLiteral("teamServerStatusLabel"));
    m_notices->label(noteTopic, QStringLiteral("teamServerNoteLabel"));
    // The notice leads to the settings, straight to the password when that is missing.
    m_notices->setClickAction(statusTopic, [this] { openSettings(); });
    m_noteTimer = new QTimer(this);
    m_noteTimer->setSingleShot(true);
    connect(m_noteTimer, &QTimer::timeout, this, [this] { m_notices->set(noteTopic, QString()); });
    // The board's way of noticing changes, on a watch of its own: one cheap
    // pragma a second, and the publisher waits a few seconds after a change.
    m_watchTimer = new QTimer(this);
    connect(m_watchTimer, &QTimer::timeout, this, &TeamServerController::watchData);
    TeammateExamineDialog::setRecordedActivitySource(answerRecordedActivity);

    const TeamServerSettings settings = loadTeamServerSettings();
    if (settings.enabled && settings.complete()) {
        showStatus(QStringLiteral("团队服务器: 正在连接"));
        TeamServerPassword::read(settings, this,
                                 [this, settings](const QString &password, const QString &note) {
                                     if (!note.isEmpty())
                                         showNote(note);
                                     apply(settings, password);
                                 });
    }
}

TeamServerController::~TeamServerController()
{
    TeammateExamineDialog::setRecordedActivitySource({});
}

QString TeamServerController::whyNoReader()
{
    return current && current->m_needsPassword ? QStringLiteral("需要输入团队服务器密码")
                                               : QStringLiteral("未设置团队服务器");
}

TeamServerController *TeamServerController::instance()
{
    return current;
}

void TeamServerController::apply(const TeamServerSettings &settings, const QString &password)
{
    m_watchTimer->stop();
    m_publisher.reset();
    m_reader.reset();
    m_needsPassword = false;
    if (!settings.enabled || !settings.complete()) {
        showStatus(QString());
        return;
    }
    // The server asks every member for a password; without one (no keyring
    // at this start) every attempt would fail with the client library's words.
    if (password.isEmpty()) {
        m_needsPassword = true;
        showStatus(QStringLiteral("团队服务器: 需要输入密码"));
        return;
    }
    m_reader = std::make_unique<TeamServerReader>(settings, password);
    m_publisher = std::make_unique<ActivityPublisher>(settings, password);
    connect(m_publisher.get(), &ActivityPublisher::statusChanged, this,
            [this](bool synced, const QString &reason, const QDateTime &time) {
                showStatus(teamServerStatusText(synced, reason, time));
            });
    connect(m_publisher.get(), &ActivityPublisher::waiting, this,
            [this](int seconds) { showStatus(teamServerWaitingText(seconds)); });
    showStatus(QStringLiteral("团队服务器: 正在连接"));
    m_watch.changed();
    m_watchTimer->start(1000);
}

void TeamServerController::watchData()
{
    if (m_publisher && m_watch.changed())
        m_publisher->localDataChanged();
}

void TeamServerController::showNote(const QString &note)
{
    m_notices->set(noteTopic, note);
    m_noteTimer->start(15000);
}

void TeamServerController::showStatus(const QString &text)
{
    m_notices->set(statusTopic, text);
    m_statusLabel->setToolTip(text.isEmpty() ? QString()
                                             : text + QStringLiteral("\n点击打开团队服务器设置"));
}

void TeamServerController::openSettings()
{
    TeamServerDialog dialog(m_window);
    if (m_needsPassword)
        dialog.focusPassword();
    dialog.exec();
}

void setUpTeamServer(QMainWindow *window)
{
    auto *controller = new TeamServerController(window);
    // Beside the other team pages.
    QMenu *teamMenu = window->findChild<QMenu *>(QStringLiteral("menu_6"));
    if (!teamMenu)
        teamMenu = window->menuBar()->addMenu(QStringLiteral("团队管理"));
    teamMenu->addSeparator();
    QAction *activity = teamMenu->addAction(QStringLiteral("团队今日活动量"));
    activity->setObjectName(QStringLiteral("action_team_activity"));
    QObject::connect(activity, &QAction::triggered, window, [window] {
        TeamActivityDialog dialog(window);
        dialog.exec();
    });
    QAction *server = teamMenu->addAction(QStringLiteral("团队服务器..."));
    server->setObjectName(QStringLiteral("action_team_server"));
    QObject::connect(server, &QAction::triggered, window, [window] {
        TeamServerDialog dialog(window);
        dialog.exec();
    });
    Q_UNUSED(controller);
}
