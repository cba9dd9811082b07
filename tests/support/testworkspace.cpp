#include "testworkspace.h"

#include "common/appsettings.h"
#include "store/database.h"

#include <QDebug>
#include <QDir>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

TestWorkspace::TestWorkspace() : m_previousDir(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
    const QString settingsDir = m_dir.filePath(QStringLiteral("settings"));
    QDir().mkpath(settingsDir);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir);
    appSettings = AppSettings();
}

TestWorkspace::~TestWorkspace()
{
    closeDatabase();
    QDir::setCurrent(m_previousDir);
}

bool TestWorkspace::openDatabase()
{
    return initDatabase();
}

void TestWorkspace::closeDatabase()
{
    if (QSqlDatabase::contains(defaultConnectionName())) {
        ::closeDatabase();
        QSqlDatabase::removeDatabase(defaultConnectionName());
    }
}

QVariant queryValue(const QString &sql)
{
    QSqlQuery query;
    if (!query.exec(sql)) {
        qWarning() << "queryValue:" << sql << query.lastError().text();
        return QVariant();
    }
    return query.next() ? query.value(0) : QVariant();
}

bool execSql(const QString &sql)
{
    QSqlQuery query;
    if (!query.exec(sql)) {
        qWarning() << "execSql:" << sql << query.lastError().text();
        return false;
    }
    return true;
}
