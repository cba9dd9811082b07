#include "dailysnapshot.h"

#include "common/dateutils.h"
#include "store/snapshots.h"

DailySnapshot::DailySnapshot(QObject *parent) : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &DailySnapshot::check);
}

DailySnapshot::~DailySnapshot() = default;

void DailySnapshot::start(int intervalMs)
{
    check();
    m_timer.start(intervalMs);
}

bool DailySnapshot::isRunning() const
{
    return m_job && m_job->isRunning();
}

void DailySnapshot::check()
{
    if (isRunning())
        return;
    // Asked every look, so that a change before midnight is not taken for
    // the first one after it.
    const bool changed = m_watch.changed();
    const QDateTime now = Clock::now();
    if (!changed || now.date() == m_coveredDay)
        return;
    if (!snapshotDue(now)) {
        m_coveredDay = now.date();
        return;
    }
    // A new file holds nothing worth a copy yet; its first data will be.
    if (!dailySnapshotDue(now))
        return;
    m_job = std::make_unique<SnapshotJob>();
    connect(m_job.get(), &SnapshotJob::finished, this, [this, day = now.date()](bool ok) {
        if (ok)
            m_coveredDay = day;
        emit finished(ok);
    });
    if (m_job->begin(now))
        m_job->runInBackground();
    else
        emit finished(false);
}
