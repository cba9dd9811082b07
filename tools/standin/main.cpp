// standin-service: a stand-in for the vendor's web service on this machine.
//   standin-service --port 8080 [--data FILE]
// Then start the program with CALLLEDGER_SERVICE=127.0.0.1:8080.

#include "standinserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Answers login, get_my_data, get_init_data and check_new_version."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("port"), QStringLiteral("Port on 127.0.0.1."),
                      QStringLiteral("N"), QStringLiteral("8080")});
    parser.addOption({QStringLiteral("data"), QStringLiteral("Data file (JSON)."),
                      QStringLiteral("FILE"), QStringLiteral(CALLLEDGER_STANDIN_SAMPLE)});
    parser.process(app);

    QTextStream err(stderr);
    bool portOk = false;
    const uint port = parser.value(QStringLiteral("port")).toUInt(&portOk);
    if (!portOk || port > 65535) {
        err << "invalid port\n";
        return 2;
    }
    StandinData data;
    QString error;
    if (!loadStandinData(parser.value(QStringLiteral("data")), &data, &error)) {
        err << "cannot read " << parser.value(QStringLiteral("data")) << ": " << error << "\n";
        return 2;
    }
    StandinServer server(data);
    server.setLogging(true);
    if (!server.listen(quint16(port))) {
        err << "cannot listen on 127.0.0.1:" << port << "\n";
        return 1;
    }
    QTextStream(stdout) << "listening on " << server.address() << " (" << data.accounts.size()
                        << " accounts, initial list of " << data.initialList.size() << ")"
                        << Qt::endl;
    return app.exec();
}
