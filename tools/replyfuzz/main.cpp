// replyfuzz [--count N] [--seed S]: throws hostile replies at the three reply
// parsers (deep nesting, huge texts, invalid UTF-8, entity tricks, truncated
// and mutated documents) and checks that every answer is a sane one.

#include "online/serviceprotocol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>

namespace {
const QList<QByteArray> seeds = {
    "<result><status>1003</status></result>",
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><a><b><status> 1005 </status></b></a>",
    "<result><user><id>7</id><name> 王伟 </name><mobile>13800000007</mobile>"
    "<company>东方</company><major>经理</major><company_address>人民路</company_address></user>"
    "<other/><user><id>x</id></user></result>",
    "<result>\n  <version>1.09</version>\n</result>",
    "<result><!-- c --><version>1.1</version></result>",
    "<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
    "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>"
    "<result><status>&d;</status><user><name>&d;&d;&d;</name></user></result>",
    "<!DOCTYPE r [<!ENTITY x SYSTEM "
    "\"file:///etc/passwd\">]><result><version>&x;</version></result>",
    "<result><user><id>&#x31;&#50;</id><name><![CDATA[<a>]]></name></user></result>",
    "<x:result xmlns:x=\"u\"><x:user/></x:result>",
};

QRandomGenerator rng;

int below(int n)
{
    return n <= 0 ? 0 : int(rng.bounded(quint32(n)));
}

QByteArray randomBytes(int n)
{
    QByteArray bytes(n, '\0');
    for (char &c : bytes)
        c = char(rng.bounded(256u));
    return bytes;
}

QByteArray nested(int depth, const QByteArray &name, const QByteArray &inner)
{
    QByteArray open, close;
    for (int i = 0; i < depth; ++i) {
        open += '<' + name + '>';
        close.prepend("</" + name + '>');
    }
    return open + inner + close;
}

QByteArray generate()
{
    static const QList<QByteArray> names = {"result", "user", "status", "version", "id", "name"};
    switch (below(8)) {
    case 0: // deep nesting, closed or not
    {
        const QByteArray doc = nested(1 + below(rng.bounded(20u) == 0 ? 100000 : 600),
                                      names.at(below(int(names.size()))), "1003");
        return below(2) ? doc : doc.left(doc.size() / 2);
    }
    case 1: // a huge text
        return "<result><user><name>" +
               QByteArray(1 + below(below(50) == 0 ? 4000000 : 20000), 'x') +
               "</name></user></result>";
    case 2: // invalid UTF-8 inside and around the tags
        return "<result>" + randomBytes(below(64)) + "<version>" + randomBytes(below(16)) +
               "</version></result>";
    case 3: // entity tricks
    {
        QByteArray dtd = "<!DOCTYPE result [<!ENTITY e0 \"lol\">";
        const int levels = 1 + below(12);
        for (int i = 1; i <= levels; ++i) {
            dtd += "<!ENTITY e" + QByteArray::number(i) + " \"";
            for (int j = 0; j < 10; ++j)
                dtd += "&e" + QByteArray::number(i - 1) + ';';
            dtd += "\">";
        }
        dtd += below(2) ? "<!ENTITY self \"&self;\">" : "";
        return dtd + "]><result><status>&e" + QByteArray::number(levels) + ";</status>" +
               (below(2) ? "&undeclared;" : "&self;") + "</result>";
    }
    case 4: // random bytes
        return randomBytes(below(256));
    default: // a mutated seed
    {
        QByteArray doc = seeds.at(below(int(seeds.size())));
        const int edits = 1 + below(8);
        for (int i = 0; i < edits && !doc.isEmpty(); ++i) {
            const int at = below(int(doc.size()));
            switch (below(5)) {
            case 0:
                doc[at] = char(rng.bounded(256u));
                break;
            case 1:
                doc.remove(at, 1 + below(8));
                break;
            case 2:
                doc.insert(at, randomBytes(1 + below(8)));
                break;
            case 3:
                doc.insert(at, doc.mid(below(int(doc.size())), 1 + below(40)));
                break;
            default:
                doc.truncate(at);
                break;
            }
        }
        return doc;
    }
    }
}

void fail(const char *what, const QByteArray &input)
{
    std::fprintf(stderr, "replyfuzz: %s for input (%lld bytes): %s\n", what,
                 static_cast<long long>(input.size()), input.left(200).toHex().constData());
    std::exit(1);
}

void check(const QByteArray &input)
{
    const LoginResult login = parseLoginReply(input);
    if (login.ok && !login.errorText.isEmpty())
        fail("login ok with an error text", input);
    const CustomerListResult list = parseCustomerListReply(input);
    if (list.ok != list.errorText.isEmpty())
        fail("list result and error text disagree", input);
    if (!list.ok && !list.customers.isEmpty())
        fail("customers from a refused list", input);
    // Every customer needs at least "<user/>" in the reply, or in an entity
    // whose expansion the reader limits.
    if (list.customers.size() * 7 > input.size() + 65536)
        fail("more customers than the reply can hold", input);
    const VersionResult version = parseVersionReply(input);
    if (version.ok && !version.errorText.isEmpty())
        fail("version ok with an error text", input);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    qint64 count = 100000;
    quint32 seed = 1;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--count"))
            count = args.at(i + 1).toLongLong();
        else if (args.at(i) == QLatin1String("--seed"))
            seed = args.at(i + 1).toUInt();
    }
    rng.seed(seed);
    QElapsedTimer timer;
    timer.start();
    for (const QByteArray &input : seeds)
        check(input);
    for (qint64 i = 0; i < count; ++i) {
        check(generate());
        if ((i + 1) % 100000 == 0)
            QTextStream(stdout) << (i + 1) << " inputs, " << timer.elapsed() / 1000 << " s"
                                << Qt::endl;
    }
    QTextStream(stdout) << "replyfuzz: " << count << " inputs (seed " << seed << ") in "
                        << timer.elapsed() / 1000 << " s, no fault" << Qt::endl;
    return 0;
}
