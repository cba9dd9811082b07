#include "statisticsloader.h"

#include "store/database.h"

#include <QSqlDatabase>

#include <sqlite3.h>

#include <functional>

// Lives in the loader's thread: the connection is opened, used and removed there.
class StatisticsWorker : public QObject
{
    Q_OBJECT

public:
    using Deliver = std::function<void(int, StatSeries, const StatTable &, const QString &, bool)>;

    StatisticsWorker(const std::atomic<int> &latest, Deliver deliver)
        : m_latest(latest), m_deliver(std::move(deliver)),
          m_connection(QStringLiteral("statistics-%1").arg(quintptr(this), 0, 16))
    {
    }

    Q_INVOKABLE void run(int generation, const StatRequest &request)
    {
        if (!m_open) {
            // A connection that does not open has been reported by the store.
            const QSqlDatabase opened = openDatabaseConnection(m_connection);
            m_open = opened.isOpen();
            m_handle.store(m_open ? sqliteHandle(opened) : nullptr);
        }
        const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        for (StatSeries series : allStatSeries()) {
            if (generation != m_latest.load())
                return;
            QString error;
            const std::optional<StatTable> table =
                m_open ? loadStatistics(series, request, db, &error) : std::nullopt;
            if (!m_open && error.isEmpty())
                error = QStringLiteral("无法打开数据文件");
            m_deliver(generation, series, table.value_or(StatTable{}), error, table.has_value());
        }
    }

    Q_INVOKABLE void close()
    {
        m_handle.store(nullptr);
        removeDatabaseConnection(m_connection);
        m_open = false;
    }

    // From the loader's thread: stops the statement that runs now, whose
    // result nobody waits for any more (SQLite allows this from any thread).
    void interrupt()
    {
        if (sqlite3 *handle = m_handle.load())
            sqlite3_interrupt(handle);
    }

private:
    const std::atomic<int> &m_latest;
    Deliver m_deliver;
    QString m_connection;
    bool m_open = false;
    std::atomic<sqlite3 *> m_handle{nullptr};
};

StatisticsLoader::StatisticsLoader(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<StatTable>();
    qRegisterMetaType<StatRequest>();
    qRegisterMetaType<StatSeries>();
    m_worker = new StatisticsWorker(m_generation, [this](int generation, StatSeries series,
                                                         const StatTable &table,
                                                         const QString &error, bool ok) {
        // Crosses back to the loader's thread, where stale results are dropped.
        QMetaObject::invokeMethod(
            this, [=] { deliver(generation, series, table, error, ok); }, Qt::QueuedConnection);
    });
    m_worker->moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("statistics"));
    m_thread.start();
}

StatisticsLoader::~StatisticsLoader()
{
    cancel();
    QMetaObject::invokeMethod(m_worker, "close", Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

int StatisticsLoader::request(const StatRequest &request)
{
    // Interrupted before the new run is queued, so that only the stale one stops.
    cancel();
    const int generation = m_generation.load();
    QMetaObject::invokeMethod(m_worker, "run", Qt::QueuedConnection, Q_ARG(int, generation),
                              Q_ARG(StatRequest, request));
    return generation;
}

void StatisticsLoader::cancel()
{
    ++m_generation;
    m_worker->interrupt();
}

void StatisticsLoader::deliver(int generation, StatSeries series, const StatTable &table,
                               const QString &error, bool ok)
{
    if (generation != m_generation.load())
        return;
    if (ok)
        emit loaded(series, table);
    else
        emit failed(series, error);
}

#include "statisticsloader.moc"
