#pragma once

#include "store/changewatch.h"

#include <QDate>
#include <QObject>
#include <QTimer>

#include <memory>

class SnapshotJob;

// One copy of the data file per calendar day, by the program's clock: at
// start-up when today has none, and at the first change after midnight while
// the program runs, so a program left running for days still gets one each
// day it is used. Copies are taken a few pages at a time from the event loop.
class DailySnapshot : public QObject
{
    Q_OBJECT
public:
    explicit DailySnapshot(QObject *parent = nullptr);
    ~DailySnapshot() override;

    // Looks at once (the start-up copy), then every interval.
    void start(int intervalMs = 1000);
    // One look: a copy begins when the data changed since the last look (the
    // first look counts as a change) and today has no copy yet.
    void check();
    bool isRunning() const;

signals:
    void finished(bool ok);

private:
    QTimer m_timer;
    DataChangeWatch m_watch;
    std::unique_ptr<SnapshotJob> m_job;
    // The day known to have its copy: no need to look in the folder again.
    QDate m_coveredDay;
};
