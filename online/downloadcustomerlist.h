#pragma once

#include "online/webclient.h"

// Fetches the customer lists bought with the account: data type 1 the newly
// bought customers only, 0 all of them.
class DownloadCustomerList : public WebClient
{
    Q_OBJECT

public:
    using WebClient::WebClient;

    void download(const QString &email, const QString &password, int dataType);
    DownloadedCustomerList downloadedCustomers() const { return m_customers; }

signals:
    // send is true while the request goes out, false while the reply comes in.
    void progress(bool send, int done, int total);

protected slots:
    void httpDone(bool error) override;
    void dataSendProgress(int done, int total) override;
    void dataReadProgress(int done, int total) override;

protected:
    void request(const QByteArray &body);

private:
    QString m_email;
    QString m_password;
    int m_dataType = 1;
    DownloadedCustomerList m_customers;
};

// Fetches the initial list in batches of up to 1000 customers after a given
// service id. Replies are read exactly like the purchased lists.
class DownloadInitCustomerList : public DownloadCustomerList
{
    Q_OBJECT

public:
    using DownloadCustomerList::DownloadCustomerList;

    // Any request still pending is dropped first.
    void download(const QString &email, const QString &password, qint64 lastId);
};
