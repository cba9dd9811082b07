#include "httpchecknew.h"

void HttpCheckNew::check()
{
    setErrorString(QString());
    post(checkNewVersionBody());
}

void HttpCheckNew::httpDone(bool error)
{
    if (error) {
        setErrorString(transportErrorString());
        emit done(false);
        return;
    }
    const VersionResult result = parseVersionReply(replyBody());
    setErrorString(result.errorText);
    if (result.ok)
        m_version = result.version;
    emit done(result.ok);
}
