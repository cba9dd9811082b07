#pragma once

#include "common/dateutils.h"
#include "store/alertstore.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

// "10:30 电话 张三 13800138000": one alert on one line, whatever the name
// holds; a name or number beyond 20 characters is cut short with "…".
QString contactAlertText(const ScheduledContact &contact);
// The one notice for contacts whose time passed while the program was closed.
QString missedContactsText(int count);

// Decides when each call or visit promised for today is due: a set number of
// minutes before its time, once per person and time, also across restarts
// on the same day. The main window drives it from its one-second tick and
// tells it whether the data file changed (its DataChangeWatch); the schedule
// is read again only then, or when a new day begins, and otherwise kept in
// memory.
class ContactAlerts : public QObject
{
    Q_OBJECT
public:
    // Reads today's schedule at once, so that the first tick costs nothing
    // more; or, with readAfterStart, once the parent window has been painted, so that
    // on a large file the read does not hold the main window back (ticks
    // before that alert nothing).
    explicit ContactAlerts(QObject *parent = nullptr, bool readAfterStart = false);

    void tick(bool dataChanged);

    // How often the schedule was read, so the cost of a tick can be checked.
    int scheduleQueries() const { return queries; }

signals:
    void contactDue(const ScheduledContact &contact);
    // At the first tick (or the first after alerts were switched on again):
    // everything whose time passed unnoticed, in one notice.
    void contactsMissed(const QList<ScheduledContact> &contacts);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void readToday();
    void reloadSchedule(const QDate &day);
    void loadAlerted(const QDate &day);
    void storeAlerted(const QList<ScheduledContact> &contacts);

    QDate scheduleDay;
    QList<ScheduledContact> schedule;
    QSet<QString> alerted;
    bool starting = true;
    bool readPending = false;
    int queries = 0;
};
