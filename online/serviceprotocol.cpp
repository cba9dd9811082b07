#include "serviceprotocol.h"

#include <QCryptographicHash>
#include <QXmlStreamReader>

namespace {
// The service's signing salt.
constexpr char signatureSalt[] = "R%3_571kM";

QByteArray field(const char *key, const QString &value)
{
    return QByteArray("&") + key + '=' + value.toUtf8();
}

// Walks a reply token by token, keeping the element depth, and gives up on
// documents nested deeper than the limit. No tree is built, so memory stays
// proportional to the reply.
class ReplyReader
{
public:
    explicit ReplyReader(const QString &text) : m_xml(text)
    {
        // Tag names are compared as written ("x:result" is not "result").
        m_xml.setNamespaceProcessing(false);
    }

    // The next token; false at the end of the document, on an error, or when
    // the nesting gets too deep.
    bool next()
    {
        if (m_tooDeep || m_xml.atEnd())
            return false;
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (++m_depth > replyDepthLimit) {
                m_tooDeep = true;
                return false;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --m_depth;
        }
        return token != QXmlStreamReader::Invalid && token != QXmlStreamReader::EndDocument;
    }

    // All text inside the element just started, its descendants' included;
    // leaves the reader on the element's end.
    QString elementText()
    {
        const int depth = m_depth;
        QString text;
        while (next()) {
            if (m_xml.isCharacters())
                text += m_xml.text();
            else if (m_xml.isEndElement() && m_depth < depth)
                break;
        }
        return text;
    }

    // True when the whole document was read and is well formed.
    bool finish()
    {
        while (next()) {
        }
        return !m_tooDeep && !m_xml.hasError();
    }

    QXmlStreamReader &xml() { return m_xml; }
    int depth() const { return m_depth; }
    bool isStart(const char *name) const
    {
        return m_xml.isStartElement() && m_xml.qualifiedName() == QLatin1String(name);
    }

private:
    QXmlStreamReader m_xml;
    int m_depth = 0;
    bool m_tooDeep = false;
};

// Moves to the root element; false when there is none or it has another name.
bool enterRoot(ReplyReader &reader, const char *name)
{
    while (reader.next()) {
        if (reader.xml().isStartElement())
            return reader.isStart(name);
    }
    return false;
}

qint64 numberOrZero(const QString &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok, 10);
    return ok ? value : 0;
}

DownloadedCustomer readUser(ReplyReader &reader)
{
    DownloadedCustomer customer;
    QString *const fields[] = {nullptr,           &customer.name,  &customer.mobile,
                               &customer.company, &customer.major, &customer.company_address};
    static const char *const names[] = {"id",      "name",  "mobile",
                                        "company", "major", "company_address"};
    bool seen[6] = {};
    QString idText;
    const int userDepth = reader.depth();
    while (reader.next()) {
        QXmlStreamReader &xml = reader.xml();
        if (xml.isEndElement() && reader.depth() < userDepth)
            break;
        if (!xml.isStartElement())
            continue;
        int which = -1;
        for (int i = 0; i < 6; ++i) {
            if (xml.qualifiedName() == QLatin1String(names[i]))
                which = i;
        }
        // Only the first element of each name counts; the rest is skipped whole.
        const QString text = reader.elementText();
        if (which < 0 || seen[which])
            continue;
        seen[which] = true;
        if (which == 0)
            idText = text;
        else
            *fields[which] = text.trimmed();
    }
    customer.id = numberOrZero(idText);
    // A missing or empty element is an empty text, never a null one: the
    // store would bind null as NULL, which the prospect columns refuse.
    for (QString *text : fields) {
        if (text && text->isNull())
            *text = QStringLiteral("");
    }
    return customer;
}

// Decodes the body; false (with the result's error set) when it is empty or
// too large to be a reply of this service.
bool decodeReply(const QByteArray &body, QString *text, QString *errorText,
                 const QString &emptyText)
{
    if (body.size() > replySizeLimit) {
        *errorText = unparsableReplyText();
        return false;
    }
    *text = QString::fromUtf8(body);
    if (text->isEmpty()) {
        *errorText = emptyText;
        return false;
    }
    return true;
}
} // namespace

ServiceAddress serviceAddress()
{
    ServiceAddress address{QString::fromLatin1(serviceDefaultHost), serviceDefaultPort};
    const QString configured = qEnvironmentVariable(serviceAddressVariable).trimmed();
    if (configured.isEmpty())
        return address;
    const int colon = configured.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) {
        address.host = configured;
        return address;
    }
    bool ok = false;
    const uint port = configured.mid(colon + 1).toUInt(&ok);
    address.host = configured.left(colon);
    if (ok && port > 0 && port <= 65535)
        address.port = quint16(port);
    return address;
}

QByteArray serviceSignature(const QString &email, const QString &password)
{
    const QByteArray signedText =
        (email + QLatin1Char('_') + password + QLatin1Char('_')).toUtf8() + signatureSalt;
    return QCryptographicHash::hash(signedText, QCryptographicHash::Md5).toHex();
}

QByteArray loginBody(const QString &email, const QString &password)
{
    return QByteArray("method=login") + field("email", email) +
           field("sign", QString::fromLatin1(serviceSignature(email, password)));
}

QByteArray myDataBody(const QString &email, const QString &password, int dataType)
{
    return QByteArray("method=get_my_data") + field("email", email) +
           field("sign", QString::fromLatin1(serviceSignature(email, password))) +
           field("data_type", QString::number(dataType));
}

QByteArray initDataBody(const QString &email, const QString &password, qint64 lastId)
{
    return QByteArray("method=get_init_data") + field("email", email) +
           field("sign", QString::fromLatin1(serviceSignature(email, password))) +
           field("id", QString::number(lastId)) + QByteArray("&n=1000");
}

QByteArray checkNewVersionBody()
{
    return QByteArray("method=check_new_version");
}

QString serviceErrorText(int code)
{
    switch (code) {
    case 1002:
        return QStringLiteral("帐号不存在.");
    case 1005:
        return QStringLiteral("密码错误.");
    default:
        return QStringLiteral("未知错误,错误码:") + QString::number(code);
    }
}

QString emptyReplyText()
{
    return QStringLiteral("返回数据为空.");
}

QString unparsableReplyText()
{
    return QStringLiteral("返回数据格式不能解析.");
}

LoginResult parseLoginReply(const QByteArray &body)
{
    LoginResult result;
    QString text;
    if (!decodeReply(body, &text, &result.errorText, QString()))
        return result;
    ReplyReader reader(text);
    bool found = false;
    QString status;
    while (reader.next()) {
        if (!found && reader.isStart("status")) {
            found = true;
            status = reader.elementText();
        }
    }
    if (!reader.finish() || !found) {
        result.errorText = unparsableReplyText();
        return result;
    }
    bool ok = false;
    int code = status.trimmed().toInt(&ok, 10);
    if (!ok)
        code = 0;
    if (code == statusAccountValid)
        result.ok = true;
    else
        result.errorText = serviceErrorText(code);
    return result;
}

CustomerListResult parseCustomerListReply(const QByteArray &body)
{
    CustomerListResult result;
    QString text;
    if (!decodeReply(body, &text, &result.errorText, emptyReplyText()))
        return result;
    ReplyReader reader(text);
    DownloadedCustomerList customers;
    if (enterRoot(reader, "result")) {
        while (reader.next()) {
            if (reader.depth() == 2 && reader.isStart("user"))
                customers.append(readUser(reader));
        }
        if (reader.finish()) {
            result.ok = true;
            result.customers = customers;
            return result;
        }
    }
    result.errorText = unparsableReplyText();
    return result;
}

VersionResult parseVersionReply(const QByteArray &body)
{
    VersionResult result;
    QString text;
    if (!decodeReply(body, &text, &result.errorText, QString()))
        return result;
    ReplyReader reader(text);
    bool found = false;
    QString version;
    if (enterRoot(reader, "result")) {
        // The first child node must be the element: whitespace between the tags
        // is no node, but a comment or other text is.
        while (reader.next()) {
            QXmlStreamReader &xml = reader.xml();
            if (xml.isCharacters() && xml.isWhitespace() && !xml.isCDATA())
                continue;
            if (reader.isStart("version")) {
                found = true;
                version = reader.elementText();
            }
            break;
        }
    }
    if (!found || !reader.finish()) {
        result.errorText = unparsableReplyText();
        return result;
    }
    bool ok = false;
    result.version = version.trimmed().toDouble(&ok);
    if (!ok)
        result.version = 0;
    result.ok = true;
    return result;
}
