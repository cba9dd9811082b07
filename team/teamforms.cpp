#include "teamforms.h"

#include "team/teammatedialog.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace TeamForms {

namespace {
void acceptDigits(QLineEdit *edit, int maxDigits)
{
    const QRegularExpression pattern(QStringLiteral("-?\\d{0,%1}").arg(maxDigits));
    edit->setValidator(new QRegularExpressionValidator(pattern, edit));
}

class EnterFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        auto *view = static_cast<QAbstractItemView *>(watched);
        const QModelIndex current = view->currentIndex();
        if (!current.isValid())
            return false;
        emit view->doubleClicked(current);
        return true;
    }
};
} // namespace

bool pickTeammate(QWidget *parent, int &id, QString &name)
{
    TeammateDialog dialog(parent, true);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    id = dialog.selectedTeammateId();
    name = dialog.selectedTeammateName();
    return true;
}

// 18 digits always fit a 64-bit value; 9 always fit an int.
void acceptMoneyOnly(QLineEdit *edit)
{
    acceptDigits(edit, 18);
}

void acceptCountOnly(QLineEdit *edit)
{
    acceptDigits(edit, 9);
}

std::optional<qint64> moneyValue(const QLineEdit *edit)
{
    bool ok = false;
    const qint64 value = edit->text().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<int> countValue(const QLineEdit *edit)
{
    bool ok = false;
    const int value = edit->text().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

void enterActsAsDoubleClick(QAbstractItemView *view)
{
    view->installEventFilter(new EnterFilter(view));
}

} // namespace TeamForms
