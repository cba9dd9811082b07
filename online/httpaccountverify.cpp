#include "httpaccountverify.h"

void HttpAccountVerify::verify(const QString &email, const QString &password)
{
    m_email = email;
    m_password = password;
    setErrorString(QString());
    post(loginBody(email, password));
}

void HttpAccountVerify::httpDone(bool error)
{
    if (error) {
        setErrorString(transportErrorString());
        emit done(false);
        return;
    }
    const LoginResult result = parseLoginReply(replyBody());
    setErrorString(result.errorText);
    emit done(result.ok);
}
