#pragma once

#include <QString>

// Display texts of the coded columns shared by prospect and recruit tables.
// Anything but 0 and 1 (a downloaded prospect has -1) is shown as no sex.
inline QString sexText(int sex)
{
    if (sex == 0)
        return QStringLiteral("女");
    if (sex == 1)
        return QStringLiteral("男");
    return QString();
}

inline QString contactedText(int isContact)
{
    return isContact != 0 ? QStringLiteral("是") : QStringLiteral("否");
}
