#pragma once

#include <QString>

#include <optional>

class QAbstractItemView;
class QLineEdit;
class QWidget;

// Small pieces shared by the team dialogs.
namespace TeamForms {

// Runs the team-member list as a picker. On Accepted the choice is written
// to id and name and true is returned; otherwise both keep their values.
bool pickTeammate(QWidget *parent, int &id, QString &name);

// Lets only whole numbers (an optional minus sign and digits) be typed, no
// more digits than the stored value holds.
void acceptMoneyOnly(QLineEdit *edit);
void acceptCountOnly(QLineEdit *edit);

// The field's text as a whole number, or nothing when it is empty or not one.
std::optional<qint64> moneyValue(const QLineEdit *edit);
std::optional<int> countValue(const QLineEdit *edit);

// Enter or Return on the current row of the view emits its doubleClicked
// signal, so the keyboard does what the mouse does.
void enterActsAsDoubleClick(QAbstractItemView *view);

} // namespace TeamForms
