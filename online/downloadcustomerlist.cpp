#include "downloadcustomerlist.h"

void DownloadCustomerList::download(const QString &email, const QString &password, int dataType)
{
    m_email = email;
    m_password = password;
    m_dataType = dataType;
    request(myDataBody(email, password, dataType));
}

void DownloadCustomerList::request(const QByteArray &body)
{
    setErrorString(QString());
    m_customers.clear();
    post(body);
}

void DownloadCustomerList::httpDone(bool error)
{
    if (error) {
        setErrorString(transportErrorString());
        emit done(false);
        return;
    }
    CustomerListResult result = parseCustomerListReply(replyBody());
    setErrorString(result.errorText);
    m_customers = std::move(result.customers);
    emit done(result.ok);
}

void DownloadCustomerList::dataSendProgress(int done, int total)
{
    emit progress(true, done, total);
}

void DownloadCustomerList::dataReadProgress(int done, int total)
{
    emit progress(false, done, total);
}

void DownloadInitCustomerList::download(const QString &email, const QString &password,
                                        qint64 lastId)
{
    abort();
    request(initDataBody(email, password, lastId));
}
