#include "contactalerts.h"

#include "common/appsettings.h"

#include <QEvent>
#include <QSettings>
#include <QTimer>

namespace {
const QString dayKey = QStringLiteral("alertedContacts/day");
const QString keysKey = QStringLiteral("alertedContacts/keys");

// What was alerted is kept with the settings, keyed by the day; another
// day's list is simply replaced.
QSettings settingsStore()
{
    return QSettings(QString::fromLatin1(settingsScope), QString::fromLatin1(settingsScope));
}

// A person and a time: a newer log moving the time is a new alert.
QString alertKey(const ScheduledContact &contact)
{
    return QStringLiteral("%1:%2:%3")
        .arg(int(contact.kind))
        .arg(contact.personId)
        .arg(contact.time);
}
} // namespace

namespace {
// A name or number stored at any length must not stretch the notice across
// the screen.
QString shortened(const QString &text)
{
    constexpr int longest = 20;
    const QString line = text.simplified();
    return line.size() <= longest ? line : line.left(longest - 1) + QChar(0x2026);
}
} // namespace

QString contactAlertText(const ScheduledContact &contact)
{
    const QString way = contact.type == 2 ? QStringLiteral("约访") : QStringLiteral("电话");
    // A line break inside a name would split the alert into lines that look
    // like separate contacts.
    return QStringLiteral("%1 %2 %3 %4")
        .arg(QDateTime::fromSecsSinceEpoch(contact.time).toString(QStringLiteral("HH:mm")), way,
             shortened(contact.name), shortened(contact.phone));
}

QString missedContactsText(int count)
{
    return QStringLiteral("您有 %1 个已过时的联系").arg(count);
}

ContactAlerts::ContactAlerts(QObject *parent, bool readAfterStart) : QObject(parent)
{
    readPending = readAfterStart && parent;
    if (readPending)
        parent->installEventFilter(this);
    else
        readToday();
}

bool ContactAlerts::eventFilter(QObject *watched, QEvent *event)
{
    // The first paint of the window: it is on the screen, the read may come.
    if (readPending && event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        QTimer::singleShot(0, this, &ContactAlerts::readToday);
    }
    return false;
}

void ContactAlerts::readToday()
{
    readPending = false;
    const QDate today = Clock::now().date();
    loadAlerted(today);
    reloadSchedule(today);
}

void ContactAlerts::tick(bool dataChanged)
{
    // Before the window was painted, a tick reads only for a window on the
    // screen; a window never shown (a test's) alerts nothing.
    if (readPending) {
        if (!parent()->property("visible").toBool())
            return;
        readToday();
    }
    if (!appSettings.contactAlerts()) {
        // Switched on again later, it gathers what passed meanwhile, like a
        // start, from a schedule read afresh.
        starting = true;
        scheduleDay = QDate();
        return;
    }
    const QDateTime now = Clock::now();
    const QDate today = now.date();
    if (today != scheduleDay) {
        loadAlerted(today);
        reloadSchedule(today);
    } else if (dataChanged) {
        reloadSchedule(today);
    }

    // The schedule holds only what is still to alert, in time order: what is
    // due now is a prefix of it, and a tick looks no further.
    const Seconds nowSeconds = now.toSecsSinceEpoch();
    const Seconds lead = Seconds(appSettings.contactAlertMinutes()) * 60;
    qsizetype dueCount = 0;
    while (dueCount < schedule.size() && schedule.at(dueCount).time - lead <= nowSeconds)
        ++dueCount;
    const QList<ScheduledContact> due = schedule.first(dueCount);
    schedule.remove(0, dueCount);
    const bool gather = starting;
    starting = false;
    if (due.isEmpty())
        return;
    // Recorded before anything is shown: an alert must not come back after a
    // crash while it is on the screen.
    storeAlerted(due);
    // At a start, what is already past comes as one notice, before the rest.
    qsizetype missedCount = 0;
    while (gather && missedCount < due.size() && due.at(missedCount).time < nowSeconds)
        ++missedCount;
    if (missedCount > 0)
        emit contactsMissed(due.first(missedCount));
    for (qsizetype i = missedCount; i < due.size(); ++i) {
        ScheduledContact contact = due.at(i);
        completeContact(contact);
        emit contactDue(contact);
    }
}

void ContactAlerts::reloadSchedule(const QDate &day)
{
    ++queries;
    scheduleDay = day;
    // Names and numbers are read for the few contacts alerted, not the day's.
    schedule = loadScheduledContacts(GetDayBegin(day), dayEndTime(day), false);
    schedule.removeIf(
        [this](const ScheduledContact &contact) { return alerted.contains(alertKey(contact)); });
}

void ContactAlerts::loadAlerted(const QDate &day)
{
    alerted.clear();
    QSettings store = settingsStore();
    if (store.value(dayKey).toString() != day.toString(Qt::ISODate))
        return;
    const QStringList keys = store.value(keysKey).toStringList();
    alerted = QSet<QString>(keys.begin(), keys.end());
}

void ContactAlerts::storeAlerted(const QList<ScheduledContact> &contacts)
{
    for (const ScheduledContact &contact : contacts)
        alerted.insert(alertKey(contact));
    QSettings store = settingsStore();
    store.setValue(dayKey, scheduleDay.toString(Qt::ISODate));
    store.setValue(keysKey, QStringList(alerted.begin(), alerted.end()));
    store.sync();
}
