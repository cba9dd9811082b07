#pragma once

#include <QString>

// The search fields of the prospect and recruit lists as one SQL condition.
// Each non-empty text (taken as typed, blanks included) narrows the base
// condition; typed text only ever enters through sqlcondition.h.
struct PersonSearch
{
    QString name;
    QString birthday;
    QString homeAddress;
};

enum class NameStorage
{
    Base64,
    Plain
};

QString personSearchCondition(const QString &baseCondition, const PersonSearch &search,
                              NameStorage names);
