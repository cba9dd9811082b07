#pragma once

#include "online/serviceprotocol.h"

#include <QString>
#include <QThread>

#include <atomic>

// Stores one downloaded batch in the background, in one transaction on a
// database connection of its own, pausing briefly after every record so the
// agent can watch the progress. A batch is stored whole or not at all, except
// that a stop keeps (commits) the records stored before it.
class QSaveCustomersListThread : public QThread
{
    Q_OBJECT

public:
    static constexpr int defaultRecordPauseMs = 50;

    explicit QSaveCustomersListThread(QObject *parent = nullptr);
    ~QSaveCustomersListThread() override;

    void saveList(const DownloadedCustomerList &customers);
    void stop() { m_stop.store(true); }

    // Read after saveComplete(): the records of the last run that are in the
    // database, and the store's error text when the batch was refused.
    int storedCount() const { return m_stored.load(); }
    bool failed() const { return m_failed.load(); }
    // Empty when the store has already reported the failure itself.
    QString errorText() const;

    // The pause after each record; tests shorten it.
    static void setRecordPause(int milliseconds) { s_recordPauseMs.store(milliseconds); }
    static int recordPause() { return s_recordPauseMs.load(); }

signals:
    // The 1-based position of the record about to be stored.
    void saveProgress(int nPosition);
    void saveComplete();

protected:
    void run() override;

private:
    bool storeBatch(const QString &connectionName);

    DownloadedCustomerList m_customers;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_stored{0};
    std::atomic<bool> m_failed{false};
    QString m_errorText; // written by run(), read after it ended
    static std::atomic<int> s_recordPauseMs;
};
