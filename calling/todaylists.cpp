#include "todaylists.h"

#include "common/appsettings.h"
#include "common/dateutils.h"
#include "store/customerstore.h"
#include "store/helperstore.h"
#include "store/schedulestore.h"
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

BoardRequest todayBoardRequest()
{
    return {todayBeginTime(), todayEndTime(), appSettings.customersCount(),
            appSettings.helpersCount(), appSettings.region()};
}

BoardCounts countBoard(const BoardRequest &request, const QSqlDatabase &db)
{
    const qint64 from = request.from;
    const qint64 to = request.to;
    BoardCounts counts;
    counts.firstCalledCustomers = countCustomerContactTracks(from, to, 1, db);
    counts.firstCalledHelpers = countHelperContactTracks(from, to, 1, db);
    counts.firstCallCustomers = countCustomerRows(
        firstCallCustomersFilter(
            request.region, firstCallQuota(request.customersQuota, 0, counts.firstCalledCustomers)),
        db);
    counts.firstCallHelpers = countHelperRows(
        firstCallHelpersFilter(firstCallQuota(request.helpersQuota, 0, counts.firstCalledHelpers)),
        db);
    counts.phoneCustomers = countCustomersToContactRows(from, to, 1, db);
    counts.visitCustomers = countCustomersToContactRows(from, to, 2, db);
    counts.phoneHelpers = countHelpersToContactRows(from, to, 1, db);
    counts.visitHelpers = countHelpersToContactRows(from, to, 2, db);
    counts.contactedCustomers = countContactedCustomersRows(from, to, 0, QString(), db);
    counts.talkCustomers = talkSecondsBetween(ProspectCalls, from, to, db);
    counts.talkHelpers = talkSecondsBetween(RecruitCalls, from, to, db);
    return counts;
}
