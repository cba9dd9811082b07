#include "todaylists.h"

#include "common/appsettings.h"
#include "common/dateutils.h"
#include "store/customerstore.h"
#include "store/helperstore.h"
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

FirstCallList todayFirstCallCustomers(int extraCount)
{
    FirstCallList list;
    list.quota = firstCallQuota(appSettings.customersCount(), extraCount,
                                countCustomerContactTracks(todayBeginTime(), todayEndTime(), 1));
    list.filter = firstCallCustomersFilter(appSettings.region(), list.quota);
    return list;
}

FirstCallList todayFirstCallHelpers(int extraCount)
{
    FirstCallList list;
    list.quota = firstCallQuota(appSettings.helpersCount(), extraCount,
                                countHelperContactTracks(todayBeginTime(), todayEndTime(), 1));
    list.filter = firstCallHelpersFilter(list.quota);
    return list;
}

int countTodayFirstCallCustomers()
{
    return countCustomerRows(todayFirstCallCustomers(0).filter);
}

int countTodayFirstCallHelpers()
{
    return countHelperRows(todayFirstCallHelpers(0).filter);
}
