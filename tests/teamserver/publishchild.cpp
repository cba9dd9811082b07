// Publishes from a process of its own, so that a test can kill it with SIGKILL in the middle
// of a publish, or end it as the program ends: publishchild FOLDER PORT MEMBER PASSWORD CA
// [QUIT_MS]
#include "teamserver/activitypublisher.h"
#include "teamserver/teamserverthread.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 6 || !QDir::setCurrent(args.at(1)))
        return 2;
    TeamServerSettings settings;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = args.at(2).toInt();
    settings.database = QStringLiteral("team");
    settings.member = args.at(3);
    settings.caFile = args.at(5);
    auto publisher = std::make_unique<ActivityPublisher>(settings, args.at(4));
    QObject::connect(publisher.get(), &ActivityPublisher::statusChanged, &app,
                     [](bool synced, const QString &reason) {
                         std::printf("%s\n", synced ? "synced" : qPrintable(reason));
                         std::fflush(stdout);
                     });
    if (args.size() > 6)
        QTimer::singleShot(args.at(6).toInt(), &app, [&] {
            std::printf("closing\n");
            std::fflush(stdout);
            publisher.reset();
            app.quit();
        });
    const int code = app.exec();
    finishTeamServerThreads(code);
    return code;
}
