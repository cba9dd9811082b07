#include "unsavedinput.h"

#include "widgets/messageboxes.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTextEdit>

namespace {
// What a field holds, as far as it is input; blanks alone are no input.
QString fieldText(const QWidget *field)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(field))
        return line->text().trimmed();
    if (const auto *text = qobject_cast<const QTextEdit *>(field))
        return text->toPlainText().trimmed();
    if (const auto *plain = qobject_cast<const QPlainTextEdit *>(field))
        return plain->toPlainText().trimmed();
    if (const auto *combo = qobject_cast<const QComboBox *>(field))
        return QString::number(combo->currentIndex()) + QLatin1Char(':') + combo->currentText();
    if (const auto *date = qobject_cast<const QDateTimeEdit *>(field))
        return date->dateTime().toString(Qt::ISODate);
    if (const auto *button = qobject_cast<const QAbstractButton *>(field))
        return button->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    if (const auto *table = qobject_cast<const QTableWidget *>(field)) {
        QStringList cells;
        for (int row = 0; row < table->rowCount(); ++row)
            for (int column = 0; column < table->columnCount(); ++column)
                if (const QTableWidgetItem *item = table->item(row, column))
                    if (!item->text().trimmed().isEmpty())
                        cells << QStringLiteral("%1,%2=%3")
                                     .arg(row)
                                     .arg(column)
                                     .arg(item->text().trimmed());
        return cells.join(QLatin1Char('\n'));
    }
    return QString();
}
} // namespace

void UnsavedInput::watch(const QList<QWidget *> &fields)
{
    for (QWidget *field : fields)
        m_fields.append(field);
    markSaved();
}

void UnsavedInput::markSaved()
{
    m_saved = state();
}

bool UnsavedInput::pending() const
{
    return state() != m_saved;
}

bool UnsavedInput::mayDrop(QWidget *parent) const
{
    return !pending() || askCloseWithUnsavedInput(parent);
}

QStringList UnsavedInput::state() const
{
    QStringList texts;
    for (const QPointer<QWidget> &field : m_fields)
        texts << (field ? fieldText(field) : QString());
    return texts;
}

bool askCloseWithUnsavedInput(QWidget *parent)
{
    return askYesNo(parent, QStringLiteral("确认要关闭当前窗口吗?"), QStringLiteral("提示"));
}
