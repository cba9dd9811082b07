#pragma once

#include "online/serviceprotocol.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;

// The common part of the four web clients: one connection manager, the error
// text and the done(bool) signal. A subclass builds the body, hands it to
// post() and reads the answer in its httpDone(bool), where replyBody() holds
// the bytes received and error is true after a transport failure.
class WebClient : public QObject
{
    Q_OBJECT

public:
    explicit WebClient(QObject *parent = nullptr);
    ~WebClient() override;

    // Drops every pending request; no done(bool) follows for them.
    void abort();
    QString errorString() const { return m_errorString; }

    // A request that gets no answer for this long fails like a lost connection.
    static constexpr int transferTimeoutMs = 60000;
    // Nor may a reply take longer than this in all (a server that sends a
    // byte now and then); process-wide, transferTimeoutMs unless changed.
    static void setTransferLimit(int ms);

signals:
    void done(bool ok);

protected:
    void post(const QByteArray &body);
    void setErrorString(const QString &text) { m_errorString = text; }
    QByteArray replyBody() const { return m_replyBody; }
    QString transportErrorString() const { return m_transportError; }

protected slots:
    // Reads the answer; error is true after a transport failure.
    virtual void httpDone(bool error) = 0;
    // Byte counts of the request being sent and of the reply being received.
    virtual void dataSendProgress(int done, int total);
    virtual void dataReadProgress(int done, int total);

private:
    void finished(QNetworkReply *reply);
    void received(QNetworkReply *reply, qint64 done, qint64 total);

    QNetworkAccessManager *m_manager;
    QString m_errorString;
    QByteArray m_replyBody;
    QString m_transportError;
};

// Byte counts reach the dialogs as int, as the progress bars take them.
int progressCount(qint64 bytes);
