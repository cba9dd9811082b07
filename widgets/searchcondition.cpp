#include "searchcondition.h"

#include "store/sqlcondition.h"
#include "store/textsearch.h"

QString personSearchCondition(const QString &baseCondition, const PersonSearch &search,
                              NameStorage names)
{
    QString condition = baseCondition;
    if (!search.name.isEmpty()) {
        // Prospect names are stored encoded; compare against what the agent
        // sees, through the trigram index of the names once it is built.
        condition +=
            QStringLiteral(" AND ") +
            nameContainsCondition(names == NameStorage::Base64 ? 1 : 2, QStringLiteral("id"),
                                  QStringLiteral("name"), search.name) +
            QLatin1Char(' ');
    }
    if (!search.birthday.isEmpty())
        condition += QStringLiteral(" AND ") +
                     likeContains(QStringLiteral("birth_date"), search.birthday) + QLatin1Char(' ');
    if (!search.homeAddress.isEmpty())
        condition += QStringLiteral(" AND ") +
                     likeContains(QStringLiteral("home_address"), search.homeAddress) +
                     QLatin1Char(' ');
    return condition;
}
