#include "standinserver.h"

#include <QFile>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>
#include <QTimer>
#include <QXmlStreamWriter>

#include <algorithm>

namespace {
constexpr int maxBatch = 1000;
// Requests of the program are tiny; anything larger is no client of ours.
constexpr int maxRequestSize = 1024 * 1024;

QByteArray statusXml(const char *root, int code)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?><") + root + "><status>" +
           QByteArray::number(code) + "</status></" + root + '>';
}

const StandinAccount *findAccount(const StandinData &data, const QString &email)
{
    for (const StandinAccount &account : data.accounts) {
        if (account.email == email)
            return &account;
    }
    return nullptr;
}

// 1003 for a known account with a matching signature, else 1002 or 1005.
int authenticate(const StandinData &data, const QMap<QByteArray, QByteArray> &form,
                 const StandinAccount **account)
{
    *account = findAccount(data, QString::fromUtf8(form.value("email")));
    if (!*account)
        return 1002;
    if (serviceSignature((*account)->email, (*account)->password) != form.value("sign"))
        return 1005;
    return statusAccountValid;
}

DownloadedCustomerList customersFromJson(const QJsonValue &value)
{
    if (value.isObject()) {
        const QJsonObject generator = value.toObject();
        return generatedCustomers(generator.value(QStringLiteral("generate")).toInt(),
                                  generator.value(QStringLiteral("firstId")).toInteger(1));
    }
    DownloadedCustomerList customers;
    const QJsonArray users = value.toArray();
    for (const QJsonValue &user : users) {
        const QJsonObject object = user.toObject();
        DownloadedCustomer customer;
        customer.id = object.value(QStringLiteral("id")).toInteger();
        customer.name = object.value(QStringLiteral("name")).toString();
        customer.mobile = object.value(QStringLiteral("mobile")).toString();
        customer.company = object.value(QStringLiteral("company")).toString();
        customer.major = object.value(QStringLiteral("major")).toString();
        customer.company_address = object.value(QStringLiteral("company_address")).toString();
        customers.append(customer);
    }
    return customers;
}
} // namespace

DownloadedCustomerList generatedCustomers(int count, qint64 firstId)
{
    static const QString surnames =
        QStringLiteral("王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹");
    static const QString given =
        QStringLiteral("伟芳娜秀敏静丽强磊军洋勇艳杰娟涛明超兰霞平刚桂英华玉萍红建文辉力国春晓");
    static const QStringList companies = {
        QStringLiteral("华信科技有限公司"), QStringLiteral("东方贸易公司"),
        QStringLiteral("明德会计师事务所"), QStringLiteral("新华书店"),
        QStringLiteral("长江建筑工程公司"), QStringLiteral("第一人民医院")};
    static const QStringList offices = {QStringLiteral("经理"),   QStringLiteral("会计"),
                                        QStringLiteral("工程师"), QStringLiteral("医生"),
                                        QStringLiteral("教师"),   QStringLiteral("销售主管")};
    static const QStringList streets = {QStringLiteral("人民路"), QStringLiteral("解放大道"),
                                        QStringLiteral("中山路"), QStringLiteral("建设街")};
    DownloadedCustomerList customers;
    for (int i = 0; i < count; ++i) {
        const qint64 id = firstId + i;
        DownloadedCustomer customer;
        customer.id = id;
        customer.name = QString(surnames.at(id % surnames.size())) +
                        given.at((id * 7) % given.size()) + given.at((id * 13 + 3) % given.size());
        customer.mobile = QStringLiteral("138%1").arg(id % 100000000, 8, 10, QLatin1Char('0'));
        customer.company = companies.at(id % companies.size());
        customer.major = offices.at((id / 3) % offices.size());
        customer.company_address =
            streets.at(id % streets.size()) + QString::number(id % 500 + 1) + QStringLiteral("号");
        customers.append(customer);
    }
    return customers;
}

bool loadStandinData(const QString &path, StandinData *data, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        *error = parseError.errorString();
        return false;
    }
    const QJsonObject root = document.object();
    StandinData loaded;
    loaded.version = root.value(QStringLiteral("version")).toString(loaded.version);
    const QJsonArray accounts = root.value(QStringLiteral("accounts")).toArray();
    for (const QJsonValue &value : accounts) {
        const QJsonObject object = value.toObject();
        StandinAccount account;
        account.email = object.value(QStringLiteral("email")).toString();
        account.password = object.value(QStringLiteral("password")).toString();
        account.purchased = customersFromJson(object.value(QStringLiteral("purchased")));
        account.newCount = object.value(QStringLiteral("newCount")).toInt();
        loaded.accounts.append(account);
    }
    loaded.initialList = customersFromJson(root.value(QStringLiteral("initialList")));
    std::sort(loaded.initialList.begin(), loaded.initialList.end(),
              [](const DownloadedCustomer &a, const DownloadedCustomer &b) { return a.id < b.id; });
    *data = loaded;
    return true;
}

QMap<QByteArray, QByteArray> parseFormBody(const QByteArray &body)
{
    QMap<QByteArray, QByteArray> form;
    const QList<QByteArray> pairs = body.split('&');
    for (const QByteArray &pair : pairs) {
        const qsizetype equals = pair.indexOf('=');
        if (equals > 0)
            form.insert(pair.left(equals), pair.mid(equals + 1));
    }
    return form;
}

QByteArray customerListXml(const DownloadedCustomerList &customers)
{
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("result"));
    for (const DownloadedCustomer &customer : customers) {
        writer.writeStartElement(QStringLiteral("user"));
        writer.writeTextElement(QStringLiteral("id"), QString::number(customer.id));
        writer.writeTextElement(QStringLiteral("name"), customer.name);
        writer.writeTextElement(QStringLiteral("mobile"), customer.mobile);
        writer.writeTextElement(QStringLiteral("company"), customer.company);
        writer.writeTextElement(QStringLiteral("major"), customer.major);
        writer.writeTextElement(QStringLiteral("company_address"), customer.company_address);
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml;
}

QByteArray standinReply(const StandinData &data, const QByteArray &body)
{
    const QMap<QByteArray, QByteArray> form = parseFormBody(body);
    const QByteArray method = form.value("method");
    if (method == "check_new_version") {
        return QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?><result><version>") +
               data.version.toUtf8() + "</version></result>";
    }
    const StandinAccount *account = nullptr;
    const int status = authenticate(data, form, &account);
    if (method == "login")
        return statusXml("result", status);
    if (method != "get_my_data" && method != "get_init_data")
        return statusXml("error", 1001);
    // A list request that fails the check gets no list.
    if (status != statusAccountValid)
        return statusXml("error", status);
    if (method == "get_my_data") {
        if (form.value("data_type") != "1")
            return customerListXml(account->purchased);
        const int newCount = std::clamp(account->newCount, 0, int(account->purchased.size()));
        return customerListXml(account->purchased.mid(account->purchased.size() - newCount));
    }
    const qint64 after = form.value("id").toLongLong();
    const int wanted = std::clamp(form.value("n").toInt(), 0, maxBatch);
    DownloadedCustomerList batch;
    for (const DownloadedCustomer &customer : data.initialList) {
        if (batch.size() >= wanted)
            break;
        if (customer.id > after)
            batch.append(customer);
    }
    return customerListXml(batch);
}

StandinServer::StandinServer(StandinData data, QObject *parent)
    : QObject(parent), m_data(std::move(data)), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                m_pending.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

StandinServer::~StandinServer() = default;

bool StandinServer::listen(quint16 port)
{
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 StandinServer::port() const
{
    return m_server->serverPort();
}

QString StandinServer::address() const
{
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

void StandinServer::readFrom(QTcpSocket *socket)
{
    QByteArray &buffer = m_pending[socket];
    buffer += socket->readAll();
    if (buffer.size() > maxRequestSize) {
        socket->abort();
        return;
    }
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;
    const qsizetype length = header(buffer, "Content-Length").toLongLong();
    const qsizetype total = headerEnd + 4 + length;
    if (buffer.size() < total)
        return;
    const QByteArray raw = buffer.left(total);
    buffer.remove(0, total);
    m_requests.append(raw);
    if (m_log)
        QTextStream(stdout) << "---- request " << m_requests.size() << " ----\n"
                            << QString::fromUtf8(raw) << "\n";
    emit requestReceived(raw);

    if (!m_raw.isEmpty()) {
        const auto [response, msPerByte] = m_raw.takeFirst();
        if (msPerByte <= 0) {
            socket->write(response);
            socket->disconnectFromHost();
            return;
        }
        auto *trickle = new QTimer(socket);
        connect(trickle, &QTimer::timeout, socket, [socket, trickle, response, sent = 0]() mutable {
            socket->write(response.mid(sent++, 1));
            if (sent >= response.size())
                trickle->stop();
        });
        trickle->start(msPerByte);
        return;
    }
    const QByteArray reply =
        m_canned.isEmpty() ? standinReply(m_data, body(raw)) : m_canned.takeFirst();
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " +
                  QByteArray::number(reply.size()) + "\r\nConnection: close\r\n\r\n" + reply);
    socket->disconnectFromHost();
}

QByteArray StandinServer::requestLine(const QByteArray &raw)
{
    return raw.left(raw.indexOf("\r\n"));
}

QByteArray StandinServer::header(const QByteArray &raw, const QByteArray &name)
{
    const qsizetype headerEnd = raw.indexOf("\r\n\r\n");
    const QList<QByteArray> lines = raw.left(headerEnd < 0 ? raw.size() : headerEnd).split('\n');
    for (const QByteArray &line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return QByteArray();
}

QByteArray StandinServer::body(const QByteArray &raw)
{
    const qsizetype headerEnd = raw.indexOf("\r\n\r\n");
    return headerEnd < 0 ? QByteArray() : raw.mid(headerEnd + 4);
}
