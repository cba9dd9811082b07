#include "startup.h"

#include "app/appsettings.h"
#include "store/database.h"

#include <QCoreApplication>
#include <QPluginLoader>

bool loadSqlDriver()
{
    // A driver folder beside the program takes precedence over the system's plugins.
    QCoreApplication::addLibraryPath(QStringLiteral("./sqldrivers"));
    QPluginLoader loader(QStringLiteral("sqldrivers/qsqlite"));
    if (loader.load())
        return true;
    QPluginLoader local(QStringLiteral("./sqldrivers/libqsqlite"));
    return local.load();
}

bool loadSettingsAndDatabase()
{
    loadSettings(appSettings);
    return initDatabase();
}
