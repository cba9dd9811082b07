#include "webclient.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace {
int transferLimitMs = WebClient::transferTimeoutMs;
}

void WebClient::setTransferLimit(int ms)
{
    transferLimitMs = ms;
}

WebClient::WebClient(QObject *parent) : QObject(parent), m_manager(new QNetworkAccessManager(this))
{
}

WebClient::~WebClient()
{
    abort();
}

void WebClient::abort()
{
    const auto replies = m_manager->findChildren<QNetworkReply *>();
    for (QNetworkReply *reply : replies) {
        // Disconnect first: an aborted request is no failure to report.
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void WebClient::post(const QByteArray &body)
{
    const ServiceAddress address = serviceAddress();
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(address.host);
    if (address.port != serviceDefaultPort)
        url.setPort(address.port);
    url.setPath(QLatin1String(servicePath));
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray(serviceContentType));
    request.setTransferTimeout(transferTimeoutMs);
    // A redirect would carry the body (the e-mail and the signature, which
    // replays as the password) to whatever place the answer names.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    // The method only: the body carries the account's e-mail and its
    // signature, which replays as the password.
    qDebug() << address.host << body.left(qMax(0, body.indexOf('&')));
    QNetworkReply *reply = m_manager->post(request, body);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finished(reply); });
    // The transfer time-out above waits for silence; this one ends a reply
    // that trickles on for ever.
    auto *limit = new QTimer(reply);
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, reply, [reply] {
        reply->setProperty("timedOut", true);
        reply->abort();
    });
    limit->start(transferLimitMs);
    connect(reply, &QNetworkReply::uploadProgress, this, [this](qint64 done, qint64 total) {
        dataSendProgress(progressCount(done), progressCount(total));
    });
    connect(reply, &QNetworkReply::downloadProgress, this,
            [this, reply](qint64 done, qint64 total) { received(reply, done, total); });
}

void WebClient::received(QNetworkReply *reply, qint64 done, qint64 total)
{
    // No reply of this service comes near the limit; stop receiving rather
    // than buffer whatever a broken server keeps sending.
    if (done > replySizeLimit || total > replySizeLimit) {
        reply->setProperty("tooLarge", true);
        reply->abort();
        return;
    }
    dataReadProgress(progressCount(done), progressCount(total));
}

void WebClient::finished(QNetworkReply *reply)
{
    reply->deleteLater();
    reply->disconnect(this);
    // An HTTP status means the server answered; its body is judged like any
    // other reply. Only a failure without one is a transport error.
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool answered = status.isValid();
    const bool redirected = answered && status.toInt() >= 300 && status.toInt() < 400;
    const bool tooLarge = reply->property("tooLarge").toBool();
    // Qt's own transfer time-out cancels the reply like the limit does.
    const bool timedOut = reply->property("timedOut").toBool() ||
                          reply->error() == QNetworkReply::OperationCanceledError;
    const bool error = tooLarge || redirected || (timedOut && !tooLarge) ||
                       (reply->error() != QNetworkReply::NoError && !answered);
    if (tooLarge)
        m_transportError = unparsableReplyText();
    else if (redirected)
        m_transportError = QStringLiteral("服务器返回了重定向, 未继续");
    else if (timedOut)
        m_transportError = QStringLiteral("服务器在 %1 秒内没有完成应答, 已停止等待")
                               .arg(std::max(1, transferLimitMs / 1000));
    else
        m_transportError = error ? reply->errorString() : QString();
    m_replyBody = error ? QByteArray() : reply->readAll();
    httpDone(error);
}

void WebClient::dataSendProgress(int, int) {}

void WebClient::dataReadProgress(int, int) {}

int progressCount(qint64 bytes)
{
    if (bytes < 0)
        return 0;
    return int(std::min<qint64>(bytes, std::numeric_limits<int>::max()));
}
