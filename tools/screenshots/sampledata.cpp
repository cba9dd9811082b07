#include "sampledata.h"

#include "common/dateutils.h"
#include "store/catalogstore.h"
#include "store/customerstore.h"
#include "store/helperstore.h"
#include "store/teamstore.h"

#include <QStringList>

namespace {
struct Person
{
    const char *name;
    int sex;
    const char *birthDate;
    const char *phone;
    const char *address;
    const char *company;
    const char *office;
};

const Person prospects[] = {
    {"张伟", 1, "1980-05-12", "13800138001", "北京市朝阳区建国路88号", "华信科技有限公司", "经理"},
    {"李娜", 0, "1986-11-03", "13900139002", "北京市海淀区中关村大街1号", "启明教育", "教师"},
    {"王芳", 0, "1975-02-28", "13700137003", "上海市浦东新区世纪大道100号", "东方贸易", "会计"},
    {"刘洋", 1, "1990-08-19", "13600136004", "广州市天河区体育西路", "南方物流", "司机"},
    {"陈静", 0, "1900-01-01", "13500135005", "深圳市南山区科技园", "", ""},
    {"赵磊", 1, "1968-12-01", "13400134006", "杭州市西湖区文三路", "西湖建筑设计院", "工程师"},
    {"黄涛", 1, "1979-03-15", "13000130010", "南京市鼓楼区中山路", "金陵电子", "主管"},
    // Not yet called: today's first-call list of the region 北京.
    {"马丽", 0, "1984-01-20", "13800138012", "北京市西城区金融街", "京华保险经纪", "顾问"},
    {"杨帆", 1, "1991-10-10", "13900139013", "北京市丰台区丽泽路", "", "程序员"},
};

const Person recruits[] = {
    {"孙丽", 0, "1988-04-22", "13300133007", "北京市东城区王府井", "百货商场", "店长"},
    {"周强", 1, "1983-07-07", "13200132008", "天津市和平区南京路", "", "自由职业"},
    {"吴敏", 0, "1992-09-30", "13100131009", "成都市锦江区春熙路", "蓉城银行", "柜员"},
    {"郑华", 1, "1985-06-06", "15800158011", "武汉市江汉区解放大道", "长江航运", "船员"},
};

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Two team members (ids 5 and 6), a plan for this year from 1 January for the
// first, and reports spread over the year so far.
bool fillTeamSample()
{
    if (!addHelper(QStringLiteral("钱进"), 1, QStringLiteral("1987-10-10"),
                   QStringLiteral("15900159012"), QStringLiteral("北京市西城区金融街"), QString(),
                   QString(), QString(), 2) ||
        !addHelper(QStringLiteral("冯敏"), 0, QStringLiteral("1991-01-25"),
                   QStringLiteral("15000150013"), QStringLiteral("北京市丰台区丽泽路"), QString(),
                   QString(), QString(), 2))
        return false;
    const int year = Clock::now().date().year();
    const auto day = [year](int month, int dayOfMonth) {
        return GetDayBegin(QDate(year, month, dayOfMonth));
    };
    return addTeammateTask(5, year, day(1, 1), 1200000, 12) &&
           addTeammateTask(6, year, day(2, 1), 600000, 6) &&
           addEarningReport(5, day(1, 20), 80000, 1, QStringLiteral("新单两件")) &&
           addEarningReport(5, day(2, 15), 120000, 0, QStringLiteral("续期")) &&
           addEarningReport(6, day(2, 26), 50000, 1, QString()) &&
           addEarningReport(5, day(3, 2), 45000, 1, QStringLiteral("介绍一位新人")) &&
           addEarningReport(5, day(3, 5), 30000, 0, QString());
}
} // namespace

bool fillSampleData()
{
    for (const Person &p : prospects) {
        if (!addCustomer(text(p.name), p.sex, text(p.birthDate), text(p.phone), text(p.address),
                         QString(), text(p.company), text(p.office)))
            return false;
    }
    for (const Person &p : recruits) {
        if (!addHelper(text(p.name), p.sex, text(p.birthDate), text(p.phone), text(p.address),
                       QString(), text(p.company), text(p.office), 1))
            return false;
    }

    const Seconds today = todayBeginTime();
    const int hour = 3600;
    const int yesterday = today - 24 * hour;
    // Prospect 3 had been visited the week before, for a history of two contacts.
    const bool visited =
        addCustomerTelLog(3, 2, QStringLiteral("上门拜访，了解了家庭保障情况"),
                          yesterday + 11 * hour, 1, today - 6 * 24 * hour + 15 * hour) &&
        addCustomerContactTrack(3, today - 6 * 24 * hour + 15 * hour, 1);
    // Prospects 1 and 2 were called for the first time this morning; 3 was
    // called yesterday (a later contact) and is due again today by phone, 4 is
    // due for a visit.
    bool ok = addCustomerTelLog(1, 1, QStringLiteral("介绍了养老保险，客户有兴趣"),
                                today + 34 * hour, 1, today + 9 * hour) &&
              addCustomerContactTrack(1, today + 9 * hour, 1) && setCustomerContacted(1) &&
              addCustomerTelLog(2, 1, QStringLiteral("客户正在开会，约好明天再打"),
                                today + 33 * hour, 1, today + 10 * hour) &&
              addCustomerContactTrack(2, today + 10 * hour, 1) && setCustomerContacted(2) &&
              addCustomerTelLog(3, 1, QStringLiteral("想了解少儿教育金"), today + 15 * hour, 1,
                                yesterday + 11 * hour) &&
              addCustomerContactTrack(3, yesterday + 11 * hour, 2) && setCustomerContacted(3) &&
              addCustomerTelLog(4, 1, QStringLiteral("约好今天下午上门面谈"), today + 16 * hour, 2,
                                yesterday + 14 * hour) &&
              addCustomerContactTrack(4, yesterday + 14 * hour, 1) && setCustomerContacted(4);
    ok = ok && visited;
    // Recruit 1 was called this morning; recruit 2 is due for a call today.
    ok = ok &&
         addHelperTelLog(1, 1, QStringLiteral("对保险行业有兴趣，下周参加创业说明会"),
                         today + 7 * 24 * hour, 2, today + 9 * hour) &&
         addHelperContactTrack(1, today + 9 * hour, 1) && setHelperContacted(1) &&
         addHelperTelLog(2, 1, QStringLiteral("考虑中"), today + 17 * hour, 1,
                         yesterday + 16 * hour) &&
         addHelperContactTrack(2, yesterday + 16 * hour, 1) && setHelperContacted(2);
    // The last prospect and recruit were given up, for the abandoned lists.
    ok = ok && setCustomerUserType(7, 0) && setHelperUserType(4, 0) &&
         addKinsfolk(1, QStringLiteral("妻子"), QStringLiteral("林小燕"), 0,
                     QStringLiteral("1982-09-09"), QStringLiteral("13811112222"),
                     QStringLiteral("华信科技有限公司"), QStringLiteral("出纳"));
    // Visits of this week for the calendar: prospect 2 tomorrow, recruit 3 today.
    ok = ok &&
         addCustomerTelLog(2, 1, QStringLiteral("周日上门送资料"), today + 34 * hour, 2,
                           today + 10 * hour + 60) &&
         addHelperTelLog(3, 1, QStringLiteral("下午面谈"), today + 15 * hour, 2,
                         yesterday + 15 * hour) &&
         setHelperContacted(3);
    // A small catalogue and a few orders of this month, for the order list and its totals.
    ok = ok &&
         addProduct(QStringLiteral("YL-01"), QStringLiteral("安享养老年金"),
                    QStringLiteral("六十岁起按月领取的养老年金")) &&
         addProduct(QStringLiteral("JY-02"), QStringLiteral("少儿教育金"),
                    QStringLiteral("子女上大学时领取的教育金")) &&
         addProduct(QStringLiteral("ZJ-03"), QStringLiteral("终身重疾险"),
                    QStringLiteral("一百种重大疾病的终身保障")) &&
         addCustomerOrderLines(
             1, yesterday + 15 * hour,
             {{QStringLiteral("YL-01"), 1, 12000}, {QStringLiteral("ZJ-03"), 1, 6800}}) &&
         addCustomerOrderLines(3, today + 9 * hour, {{QStringLiteral("JY-02"), 2, 9000}}) &&
         addCustomerOrderLines(6, today - 5 * 24 * hour, {{QStringLiteral("ZJ-03"), 1, 5600}});
    return ok && fillTeamSample();
}
