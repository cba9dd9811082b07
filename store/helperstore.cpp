#include "helperstore.h"

#include "store/storequery.h"

#include <QDebug>
#include <QSqlError>

using namespace StoreQuery;

QSqlTableModel *loadHelpersModel(QObject *parent, const QString &filter)
{
    return loadTableModel(parent, QStringLiteral("helpers"), filter, personHeaders());
}

int countHelperRows(const QString &filter, const QSqlDatabase &db)
{
    return countRowsOf(QStringLiteral("SELECT 1 FROM helpers") +
                           (filter.isEmpty() ? QString() : QStringLiteral(" WHERE ") + filter),
                       db);
}

bool addHelper(const QString &name, int sex, const QString &birthDate, const QString &phoneNumber,
               const QString &homeAddress, const QString &homeTel, const QString &companyName,
               const QString &office, int userType)
{
    return execPrepared(
        QStringLiteral("INSERT INTO helpers(name, sex, birth_date, phone_number, home_address, "
                       "home_tel, company_name, office, is_contact, user_type)VALUES (?, ?, ?, ?, "
                       "?, ?, ?, ?, ?, ?)"),
        {name, sex, birthDate, phoneNumber, homeAddress, homeTel, companyName, office, 0, userType},
        QStringLiteral("新增增员信息出错."));
}

bool setHelperContacted(int helperId)
{
    return execPrepared(QStringLiteral("UPDATE helpers SET is_contact = 1 WHERE id = ?"),
                        {helperId}, QStringLiteral("更新联系标志出错."));
}

bool setHelperUserType(int helperId, int userType)
{
    return execPrepared(QStringLiteral("UPDATE helpers SET user_type = ") +
                            QString::number(userType) + QStringLiteral(" WHERE id = ") +
                            QString::number(helperId),
                        {}, QStringLiteral("更新增员类型出错."));
}

QSqlTableModel *loadHelperTelLogsModel(QObject *parent, const QString &filter)
{
    return loadTableModel(parent, QStringLiteral("helpers_tel_logs"), filter, telLogHeaders());
}

bool addHelperTelLog(int helperId, int contactType, const QString &content, qint64 nextContactTime,
                     int nextContactType, qint64 addTime)
{
    return execPrepared(
        QStringLiteral("INSERT INTO helpers_tel_logs(helper_id, add_time, contact_type, content, "
                       "next_contact_time, next_contact_type)VALUES (?, ?, ?, ?, ?, ?)"),
        {helperId, addTime, contactType, content, nextContactTime, nextContactType},
        QStringLiteral("新增电话记录出错."));
}

bool addHelperContactTrack(int helperId, qint64 contactTime, int contactState)
{
    return execPrepared(QStringLiteral("INSERT INTO helpers_contact_track (helper_id, "
                                       "contact_time, contact_state)VALUES (?, ?, ?)"),
                        {helperId, contactTime, contactState},
                        QStringLiteral("新增联系跟踪记录出错."));
}

namespace {
bool writeHelperContact(int helperId, const ContactRecord &contact)
{
    return addHelperTelLog(helperId, contact.contactType, contact.content, contact.nextContactTime,
                           contact.nextContactType, contact.addTime) &&
           addCallDetails(RecruitCalls, contact.details) &&
           addHelperContactTrack(helperId, contact.addTime, contact.contactState) &&
           setHelperContacted(helperId);
}
} // namespace

bool recordHelperContact(int helperId, int contactType, const QString &content,
                         qint64 nextContactTime, int nextContactType, qint64 addTime,
                         int contactState, const CallDetails &details)
{
    const ContactRecord contact{contactType, content,      nextContactTime, nextContactType,
                                addTime,     contactState, details};
    return runInTransaction([&] { return writeHelperContact(helperId, contact); },
                            QStringLiteral("新增电话记录出错."));
}

bool recordJoiningContact(int helperId, const ContactRecord &contact)
{
    return runInTransaction(
        [&] { return writeHelperContact(helperId, contact) && setHelperUserType(helperId, 2); },
        QStringLiteral("新增电话记录出错."));
}

int countHelpersContacted(qint64 from, qint64 to, int contactType)
{
    return countDistinct(QStringLiteral("helpers_tel_logs"), QStringLiteral("helper_id"),
                         periodCondition(QStringLiteral("add_time"), from, to) +
                             optionalEquals(QStringLiteral("contact_type"), contactType));
}

int countHelpersToContact(qint64 from, qint64 to, int nextContactType)
{
    // The type is always compared, 0 included.
    return countDistinct(QStringLiteral("helpers_tel_logs"), QStringLiteral("helper_id"),
                         periodCondition(QStringLiteral("next_contact_time"), from, to) +
                             QStringLiteral(" AND next_contact_type = ") +
                             QString::number(nextContactType));
}

int countHelperContactTracks(qint64 from, qint64 to, int contactState, const QSqlDatabase &db)
{
    return countDistinct(QStringLiteral("helpers_contact_track"), QStringLiteral("helper_id"),
                         periodCondition(QStringLiteral("contact_time"), from, to) +
                             optionalEquals(QStringLiteral("contact_state"), contactState),
                         db);
}
