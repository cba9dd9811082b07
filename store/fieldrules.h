#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QString>

// What a typed or imported value must look like before it is stored; the
// entry dialogs and the import apply the same rules.

// A telephone number holds digits (full-width ones too), blanks, "+", "-"
// and brackets, and at least one digit.
bool isPhoneText(const QString &text);
// "联系电话只能包含数字、空格、+、-和括号", or empty when the text is a
// number or empty.
QString phoneProblem(const QString &label, const QString &text);

// The lengths the table's text columns declare ("nvarchar(50)" gives 50), by
// column name; columns declared without one (TEXT) are missing. Read from the
// file's own schema. The prospects' columns, plain TEXT, take the lengths of
// the recruits' columns of the same name: the same person, the same rules.
QHash<QString, int> declaredLengths(const QString &table,
                                    const QSqlDatabase &db = QSqlDatabase::database());
// "姓名不能超过 50 个字", or empty when the text fits (or no length is given).
QString lengthProblem(const QString &label, const QString &text, int maxLength);
