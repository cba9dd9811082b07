#include "phoneskilltypes.h"

QString PhoneSkillType::text(int type)
{
    switch (type) {
    case Marketing:
        return QStringLiteral("营销话术");
    case Recruiting:
        return QStringLiteral("增员话术");
    default:
        return QString::number(type);
    }
}
