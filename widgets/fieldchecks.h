#pragma once

#include <QList>
#include <QString>

#include <utility>

class QDateEdit;
class QLineEdit;
class QWidget;

// The typing rules of the stored fields, applied to a dialog's widgets.

// Birth dates from 1900-01-01 ("not given") up to today; a date typed whole,
// separators and all, gives that date.
void limitBirthDate(QDateEdit *edit);

// Each field takes no more characters than its column of the table declares,
// or than it holds already (apply after filling a form with stored data).
void limitToColumns(const QString &table, const QList<std::pair<QLineEdit *, QString>> &fields);

// A number that holds anything but digits, blanks, "+", "-" and brackets is
// refused under the field's label, and the cursor goes there; false then.
bool checkPhoneField(QWidget *dialog, QLineEdit *edit, const QString &label);

// Text longer than the column declares is refused the same way (for fields
// without a length limit of their own, such as multi-line ones).
bool checkLengthField(QWidget *dialog, QWidget *field, const QString &label, const QString &text,
                      const QString &table, const QString &column);
