#pragma once

#include "online/webclient.h"

// Asks the service whether an e-mail address and password make a valid
// account; done(true) only for status 1003.
class HttpAccountVerify : public WebClient
{
    Q_OBJECT

public:
    using WebClient::WebClient;

    void verify(const QString &email, const QString &password);
    QString email() const { return m_email; }
    QString password() const { return m_password; }

protected slots:
    void httpDone(bool error) override;

private:
    QString m_email;
    QString m_password;
};
