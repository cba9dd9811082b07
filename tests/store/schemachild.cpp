// A separate process that prepares mwdb.dat in its working folder the way the
// program does at start-up, for tests that kill it midway, race two of it, or
// run it as a user who may not write the file; or that changes an existing
// file from outside the test's process. Exit code 0 when the schema is
// ready, 1 when the start-up would stop; the boxes it would show go to stdout.
#include "common/messagehook.h"
#include "store/database.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTextStream>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <signal.h>
#include <unistd.h>

namespace {
int statementsLeft = -1;

int killAtStatement(unsigned, void *, void *, void *)
{
    if (statementsLeft >= 0 && statementsLeft-- == 0)
        ::kill(::getpid(), SIGKILL);
    return 0;
}

int traceEveryConnection(sqlite3 *db, const char **, const sqlite3_api_routines *)
{
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, killAtStatement, nullptr);
    return SQLITE_OK;
}

// Root may write anything; to see a read-only file as the agent would, the
// child gives up root for the unprivileged "nobody".
bool becomeNobody()
{
    if (::geteuid() != 0)
        return true;
    const gid_t nobodyGroup = 65534;
    return ::setgroups(0, nullptr) == 0 && ::setgid(nobodyGroup) == 0 && ::setuid(65534) == 0;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int killIndex = int(args.indexOf(QStringLiteral("--kill-at")));
    if (killIndex > 0 && killIndex + 1 < args.size()) {
        statementsLeft = args.at(killIndex + 1).toInt();
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(traceEveryConnection));
    }
    if (args.contains(QStringLiteral("--as-nobody")) && !becomeNobody())
        return 2;
    setWarningHook([](const QString &text, const QString &title) {
        QTextStream(stdout) << title << '\n' << text << '\n';
    });
    // --exec SQL: one statement from another process on an existing file.
    const int execIndex = int(args.indexOf(QStringLiteral("--exec")));
    if (execIndex > 0 && execIndex + 1 < args.size()) {
        const bool opened = openDatabase();
        const bool done = opened && QSqlQuery().exec(args.at(execIndex + 1));
        closeDatabase();
        return done ? 0 : 1;
    }
    const bool ready = initDatabase();
    closeDatabase();
    return ready ? 0 : 1;
}
