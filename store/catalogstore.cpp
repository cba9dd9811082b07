#include "catalogstore.h"

#include "app/messagehook.h"

#include <QSqlError>
#include <QSqlQuery>

bool addPhoneSkill(int type, const QString &category, const QString &content)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("INSERT INTO phoneskills(type, category, content) VALUES (?, ?, ?)"));
    query.addBindValue(type);
    query.addBindValue(category);
    query.addBindValue(content);
    if (!query.exec()) {
        reportWarning(query.lastError().text(), QStringLiteral("新增话术信息出错."));
        return false;
    }
    return true;
}
