#include "todaylists.h"

#include "store/sqlcondition.h"

#include <algorithm>

int firstCallQuota(int dailyQuota, int extraCount, int doneToday)
{
    return std::max(dailyQuota + extraCount - doneToday, 0);
}

QString firstCallCustomersFilter(const QString &region, int quota)
{
    QString filter = QStringLiteral("is_contact = 0 AND user_type = 1");
    if (!region.isEmpty())
        filter += QStringLiteral(" AND ") + likeContains(QStringLiteral("home_address"), region) +
                  QLatin1Char(' ');
    return filter + QStringLiteral(" LIMIT 0,") + QString::number(quota);
}

QString firstCallHelpersFilter(int quota)
{
    return QStringLiteral("is_contact = 0 AND user_type = 1 LIMIT 0,") + QString::number(quota);
}
