#include "fieldchecks.h"

#include "common/dateutils.h"
#include "store/fieldrules.h"
#include "widgets/messageboxes.h"

#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace {
// Typing a whole date ("1985-03-15") gives that date. A section filled by its
// digits moves on by itself; the separator typed next would move on once
// more and put the month into the day.
class WholeDateTyping : public QObject
{
public:
    explicit WholeDateTyping(QDateEdit *edit) : QObject(edit)
    {
        setObjectName(QStringLiteral("wholeDateTyping"));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn)
            movedOn = false;
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto *edit = static_cast<QDateEdit *>(watched);
        const QString typed = static_cast<QKeyEvent *>(event)->text();
        const bool separator = typed.size() == 1 && QStringLiteral("-/.").contains(typed);
        if (separator && movedOn) {
            movedOn = false;
            return true;
        }
        if (typed.size() != 1 || !typed.at(0).isDigit()) {
            movedOn = false;
            return false;
        }
        const QDateTimeEdit::Section before = edit->currentSection();
        static_cast<QObject *>(edit)->event(event);
        movedOn = edit->currentSection() != before;
        return true;
    }

private:
    bool movedOn = false;
};

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
    if (!edit->findChild<QObject *>(QStringLiteral("wholeDateTyping"), Qt::FindDirectChildrenOnly))
        edit->installEventFilter(new WholeDateTyping(edit));
}

void limitToColumns(const QString &table, const QList<std::pair<QLineEdit *, QString>> &fields)
{
    const QHash<QString, int> lengths = declaredLengths(table);
    for (const auto &[edit, column] : fields) {
        // Never below what the field already shows: a longer text stored
        // before the limit was kept stays whole, it only cannot grow.
        if (const int length = lengths.value(column); length > 0)
            edit->setMaxLength(std::max(length, int(edit->text().size())));
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
