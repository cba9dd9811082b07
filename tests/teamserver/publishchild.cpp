// Publishes from a process of its own, so that a test can kill it with
// SIGKILL in the middle of a publish: publishchild FOLDER PORT MEMBER PASSWORD
#include "teamserver/activitypublisher.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5 || !QDir::setCurrent(args.at(1)))
        return 2;
    TeamServerSettings settings;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = args.at(2).toInt();
    settings.database = QStringLiteral("team");
    settings.member = args.at(3);
    ActivityPublisher publisher(settings, args.at(4));
    QObject::connect(&publisher, &ActivityPublisher::statusChanged, &app,
                     [](bool synced, const QString &reason) {
                         std::printf("%s\n", synced ? "synced" : qPrintable(reason));
                         std::fflush(stdout);
                     });
    return app.exec();
}
