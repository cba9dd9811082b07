#pragma once

#include "store/statisticsstore.h"

#include <QObject>
#include <QThread>

#include <atomic>

class StatisticsWorker;

// Runs the statistics statements on a thread of its own, with its own
// connection, so that the window shows at once and fills its charts as each
// series arrives. A newer request makes the older results stale: they are
// neither computed further nor delivered.
class StatisticsLoader : public QObject
{
    Q_OBJECT

public:
    explicit StatisticsLoader(QObject *parent = nullptr);
    ~StatisticsLoader() override;

    // Asks for every series of the request; returns the request's number.
    int request(const StatRequest &request);
    // Makes the running request stale and stops its statement.
    void cancel();

signals:
    // One series of the latest request; failed with the error text when its
    // statement did not run.
    void loaded(StatSeries series, const StatTable &table);
    void failed(StatSeries series, const QString &error);

private:
    void deliver(int generation, StatSeries series, const StatTable &table, const QString &error,
                 bool ok);

    QThread m_thread;
    StatisticsWorker *m_worker = nullptr;
    std::atomic<int> m_generation{0};
};
