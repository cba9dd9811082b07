#pragma once

#include <QString>

// The use of a phone script: 1 marketing, 2 recruiting; the combo boxes hold
// them at index type - 1.
namespace PhoneSkillType {
constexpr int Marketing = 1;
constexpr int Recruiting = 2;
// The word of a known use; any other value as its number.
QString text(int type);
} // namespace PhoneSkillType

// Columns of phoneskills as its list model presents them.
enum PhoneSkillColumn
{
    PhoneSkillColumnId,
    PhoneSkillColumnType,
    PhoneSkillColumnCategory,
    PhoneSkillColumnContent
};
