#pragma once

#include "online/serviceprotocol.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

// A stand-in for the vendor's web service on this machine, so the program can
// be tried and tested without the real one. It answers the four methods from
// its data, checks the signature as the service does, and keeps every raw
// request it received.

struct StandinAccount
{
    QString email;
    QString password;
    DownloadedCustomerList purchased;
    // How many of the purchased customers (the last ones) count as newly bought.
    int newCount = 0;
};

// The service numbers its customers in one id space: a purchased customer has
// the same id in the initial list, so the initial download (which continues
// after the largest stored id) does not fetch it again.
struct StandinData
{
    QList<StandinAccount> accounts;
    DownloadedCustomerList initialList; // ascending ids
    QString version = QStringLiteral("1.08");
};

// count customers with ids from firstId, Chinese names, the same every time.
DownloadedCustomerList generatedCustomers(int count, qint64 firstId);

// Reads a data file (JSON; see sample-data.json). False with an error text
// when the file cannot be used.
bool loadStandinData(const QString &path, StandinData *data, QString *error);

// The form fields of a request body, split on "&" and the first "=".
QMap<QByteArray, QByteArray> parseFormBody(const QByteArray &body);

// The reply body the service gives for a request body.
QByteArray standinReply(const StandinData &data, const QByteArray &body);

// XML of a list reply: a "result" root with one "user" per customer.
QByteArray customerListXml(const DownloadedCustomerList &customers);

class StandinServer : public QObject
{
    Q_OBJECT

public:
    explicit StandinServer(StandinData data, QObject *parent = nullptr);
    ~StandinServer() override;

    // Listens on 127.0.0.1; port 0 picks a free port.
    bool listen(quint16 port);
    quint16 port() const;
    // "127.0.0.1:port", the value for the program's CALLLEDGER_SERVICE.
    QString address() const;

    void setData(const StandinData &data) { m_data = data; }
    // The next request is answered with exactly these bytes as its body,
    // whatever it asks; queued replies are used in order.
    void queueReply(const QByteArray &body) { m_canned.append(body); }
    // The next request gets exactly these bytes as the whole answer (status
    // line and headers included); with msPerByte, one byte at a time.
    void queueRawReply(const QByteArray &response, int msPerByte = 0)
    {
        m_raw.append({response, msPerByte});
    }

    // Raw bytes of each request, in order of arrival.
    QList<QByteArray> requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }
    // Prints every raw request to the standard output.
    void setLogging(bool on) { m_log = on; }

    // The parts of a raw request the tests look at.
    static QByteArray requestLine(const QByteArray &raw);
    static QByteArray header(const QByteArray &raw, const QByteArray &name);
    static QByteArray body(const QByteArray &raw);

signals:
    void requestReceived(const QByteArray &raw);

private:
    void readFrom(QTcpSocket *socket);

    StandinData m_data;
    QTcpServer *m_server;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QList<QByteArray> m_requests;
    QList<QByteArray> m_canned;
    QList<QPair<QByteArray, int>> m_raw;
    bool m_log = false;
};
