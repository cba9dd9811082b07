#include "fieldchecks.h"

#include "common/dateutils.h"
#include "store/fieldrules.h"
#include "widgets/messageboxes.h"

#include <QDateEdit>
#include <QLineEdit>

namespace {
bool refuse(QWidget *dialog, QWidget *field, const QString &problem)
{
    if (problem.isEmpty())
        return true;
    field->setFocus();
    showWarning(dialog, problem + QStringLiteral("."), QStringLiteral("提示"));
    return false;
}
} // namespace

void limitBirthDate(QDateEdit *edit)
{
    edit->setDateRange(birthDateNotGiven(), latestBirthDate());
}

void limitToColumns(const QString &table, const QList<std::pair<QLineEdit *, QString>> &fields)
{
    const QHash<QString, int> lengths = declaredLengths(table);
    for (const auto &[edit, column] : fields) {
        if (const int length = lengths.value(column); length > 0)
            edit->setMaxLength(length);
    }
}

bool checkPhoneField(QWidget *dialog, QLineEdit *edit, const QString &label)
{
    return refuse(dialog, edit, phoneProblem(label, edit->text()));
}

bool checkLengthField(QWidget *dialog, QWidget *field, const QString &label, const QString &text,
                      const QString &table, const QString &column)
{
    return refuse(dialog, field, lengthProblem(label, text, declaredLengths(table).value(column)));
}
