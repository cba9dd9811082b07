#include "teamserverreader.h"

#include "teamserver/teamserverthread.h"

#include <QElapsedTimer>
#include <QPointer>

struct TeamServerReader::Link
{
    TeamServerSettings settings;
    QString password;
    QString name;
    bool open = false;

    // Opens on first use and again after a failure.
    bool ensureOpen(QString *error)
    {
        if (!open) {
            open = openTeamServer(name, settings, password, error);
            if (!open)
                closeTeamServer(name);
        }
        return open;
    }

    void drop()
    {
        open = false;
        closeTeamServer(name);
    }
};

TeamServerReader::TeamServerReader(const TeamServerSettings &settings, const QString &password,
                                   QObject *parent)
    : QObject(parent), m_link(std::make_shared<Link>())
{
    m_link->settings = settings;
    m_link->password = password;
    m_link->name = uniqueConnectionName(QStringLiteral("teamserver-read-"));
    std::shared_ptr<Link> link = m_link;
    m_thread = std::make_unique<TeamServerThread>([link] { link->drop(); });
}

TeamServerReader::~TeamServerReader()
{
    m_thread.reset();
}

qint64 TeamServerReader::busyMs() const
{
    return m_thread->busyMs();
}

void TeamServerReader::readTeam(const QDate &today, const QDate &weekBegin, QObject *receiver,
                                TeamAnswer answer)
{
    std::shared_ptr<Link> link = m_link;
    QPointer<QObject> guard(receiver);
    const QPointer<QObject> self(this);
    m_thread->post([self, link, today, weekBegin, guard, answer] {
        QElapsedTimer clock;
        clock.start();
        QList<MemberActivity> members;
        QString error;
        if (link->ensureOpen(&error)) {
            bool read = false;
            {
                QSqlDatabase db = QSqlDatabase::database(link->name, false);
                read = readTeamActivity(db, today, weekBegin, &members, &error);
            }
            if (!read)
                link->drop();
        }
        const qint64 ms = clock.elapsed();
        deliver(self, [guard, answer, members, error, ms] {
            if (guard)
                answer(members, error, ms);
        });
    });
}

void TeamServerReader::readMember(const QString &member, const QDate &from, const QDate &to,
                                  QObject *receiver, MemberAnswer answer)
{
    std::shared_ptr<Link> link = m_link;
    QPointer<QObject> guard(receiver);
    const QPointer<QObject> self(this);
    m_thread->post([self, link, member, from, to, guard, answer] {
        ActivityValues sums{};
        QString error;
        if (link->ensureOpen(&error)) {
            bool read = false;
            {
                QSqlDatabase db = QSqlDatabase::database(link->name, false);
                read = readMemberActivity(db, member, from, to, &sums, &error);
            }
            if (!read)
                link->drop();
        }
        deliver(self, [guard, answer, sums, error] {
            if (guard)
                answer(sums, error);
        });
    });
}
