#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What the vendor's web service expects and answers. Every exchange is one
// form-encoded POST to a fixed path; every reply a small XML document. The
// functions here only build bytes and read bytes: the clients send them.

inline constexpr char serviceDefaultHost[] = "www.vantoro.com";
inline constexpr quint16 serviceDefaultPort = 80;
inline constexpr char servicePath[] = "/callback/client_update.php";
inline constexpr char serviceContentType[] = "application/x-www-form-urlencoded";
// Names another address ("127.0.0.1:8080") for trying the program against a
// stand-in service; read on every request.
inline constexpr char serviceAddressVariable[] = "CALLLEDGER_SERVICE";

// Links of the web site shown in the dialogs.
inline constexpr char registerPageUrl[] = "http://www.vantoro.com/?do=register";
inline constexpr char loginPageUrl[] = "http://www.vantoro.com/?do=login";

struct ServiceAddress
{
    QString host;
    quint16 port = serviceDefaultPort;
};

ServiceAddress serviceAddress();

// The request carries only this digest, never the password.
QByteArray serviceSignature(const QString &email, const QString &password);

// Request bodies. Values go in as typed, without percent-encoding: the
// service reads them that way.
QByteArray loginBody(const QString &email, const QString &password);
QByteArray myDataBody(const QString &email, const QString &password, int dataType);
QByteArray initDataBody(const QString &email, const QString &password, qint64 lastId);
QByteArray checkNewVersionBody();

// "帐号不存在." and the like for a status code of the login reply.
QString serviceErrorText(int code);

inline constexpr int statusAccountValid = 1003;

// One customer of a list reply.
struct DownloadedCustomer
{
    qint64 id = 0;
    QString name;
    QString mobile;
    QString company;
    QString major;
    QString company_address;
};
using DownloadedCustomerList = QList<DownloadedCustomer>;

// The reply texts the clients report.
QString emptyReplyText();
QString unparsableReplyText();

// Results of reading a reply body. An error text may be empty on failure
// (an empty login or version reply says nothing about why).
struct LoginResult
{
    bool ok = false;
    QString errorText;
};

struct CustomerListResult
{
    bool ok = false;
    QString errorText;
    DownloadedCustomerList customers;
};

struct VersionResult
{
    bool ok = false;
    QString errorText;
    double version = 0;
};

// Replies larger than this, or nested deeper than replyDepthLimit, are
// refused as unparsable: a hostile or broken server cannot make the program
// allocate or recurse without bound.
inline constexpr qint64 replySizeLimit = 16 * 1024 * 1024;
inline constexpr int replyDepthLimit = 256;

LoginResult parseLoginReply(const QByteArray &body);
CustomerListResult parseCustomerListReply(const QByteArray &body);
VersionResult parseVersionReply(const QByteArray &body);
