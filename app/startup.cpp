#include "startup.h"

#include "common/appsettings.h"
#include "store/database.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPluginLoader>
#include <QTranslator>

bool useChineseLocale()
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    static QTranslator qtTexts;
    if (!qtTexts.load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&qtTexts);
}

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
