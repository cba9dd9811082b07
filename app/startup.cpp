#include "startup.h"

#include "common/appsettings.h"
#include "store/database.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSqlDatabase>
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
    // Qt's own plugin folders only: the working folder is the agent's data
    // folder, and a library dropped there must never run as the agent.
    return QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"));
}

bool loadSettingsAndDatabase()
{
    loadSettings(appSettings);
    return initDatabase();
}
