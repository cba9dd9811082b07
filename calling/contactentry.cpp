#include "contactentry.h"

#include "common/appsettings.h"
#include "common/calltools.h"
#include "widgets/fieldchecks.h"
#include "widgets/messageboxes.h"
#include "widgets/persontable.h"

#include <QButtonGroup>
#include <QDataWidgetMapper>
#include <QDateTimeEdit>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QSplitter>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>
#include <QTextEdit>

namespace {
// The time an edit was given when the area was emptied, to tell a change.
const char startTimeProperty[] = "callledgerStartTime";

void setStartTime(QDateTimeEdit *edit, const QDateTime &time)
{
    edit->setDateTime(time);
    edit->setProperty(startTimeProperty, edit->dateTime());
}

bool timeChanged(const QDateTimeEdit *edit)
{
    return edit->dateTime() != edit->property(startTimeProperty).toDateTime();
}

// A checked button of an exclusive group cannot be unchecked by itself.
void uncheck(QRadioButton *button)
{
    QButtonGroup *group = button->group();
    if (group)
        group->setExclusive(false);
    button->setChecked(false);
    if (group)
        group->setExclusive(true);
}

const char layoutGeometry[] = "callDialogGeometry";
const char layoutSplitters[] = "callDialogSplitters";
} // namespace

void initContactWidgets(const ContactWidgets &widgets)
{
    widgets.phoneMode->setChecked(true);
    widgets.content->clear();
    uncheck(widgets.nextPhone);
    uncheck(widgets.nextVisit);
    const QDateTime now = Clock::now();
    setStartTime(widgets.nextCall, quickContactTime(QuickTime::TomorrowMorning, now));
    setStartTime(widgets.nextVisitTime, QDateTime(now.date().addDays(5), QTime(0, 0)));
}

bool hasContactInput(const ContactWidgets &widgets)
{
    return !widgets.content->toPlainText().trimmed().isEmpty() || widgets.nextPhone->isChecked() ||
           widgets.nextVisit->isChecked() || timeChanged(widgets.nextCall) ||
           timeChanged(widgets.nextVisitTime);
}

void rememberCallLayout(QDialog *dialog)
{
    const QList<QSplitter *> splitters = dialog->findChildren<QSplitter *>();
    dialog->restoreGeometry(desktopSetting(layoutGeometry).toByteArray());
    const QVariantList states = desktopSetting(layoutSplitters).toList();
    for (int i = 0; i < splitters.size() && i < states.size(); ++i)
        splitters.at(i)->restoreState(states.at(i).toByteArray());
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, splitters] {
        QVariantList kept;
        for (const QSplitter *splitter : splitters)
            kept.append(splitter->saveState());
        setDesktopSetting(layoutSplitters, kept);
        setDesktopSetting(layoutGeometry, dialog->saveGeometry());
    });
}

std::optional<ContactEntry> readContactEntry(QWidget *parent, const ContactWidgets &widgets,
                                             bool descriptionNeeded, bool nextNeeded)
{
    const QString title = QStringLiteral("提示");
    ContactEntry entry;
    if (widgets.phoneMode->isChecked()) {
        entry.contactType = PhoneWay;
    } else if (widgets.visitMode->isChecked()) {
        entry.contactType = VisitWay;
    } else {
        showWarning(parent, QStringLiteral("请指定本次联系方式."), title);
        return std::nullopt;
    }

    entry.content = widgets.content->toPlainText().trimmed();
    if (entry.content.isEmpty() && descriptionNeeded) {
        showWarning(parent, QStringLiteral("请输入电话内容."), title);
        widgets.content->setFocus();
        return std::nullopt;
    }

    // Both contact-log tables declare the same length.
    if (!checkLengthField(parent, widgets.content, QStringLiteral("电话内容"), entry.content,
                          QStringLiteral("customers_tel_logs"), QStringLiteral("content")))
        return std::nullopt;

    QDateTimeEdit *next = nullptr;
    if (widgets.nextPhone->isChecked()) {
        next = widgets.nextCall;
        entry.nextContactType = PhoneWay;
    } else if (widgets.nextVisit->isChecked()) {
        next = widgets.nextVisitTime;
        entry.nextContactType = VisitWay;
    } else if (!nextNeeded) {
        entry.nextContactTime = 0;
        return entry;
    } else {
        showWarning(parent, QStringLiteral("请指定下次电话或约访时间."), title);
        return std::nullopt;
    }
    entry.nextContactTime = next->dateTime().toSecsSinceEpoch();
    // A time already gone is usually a slip of the date.
    if (entry.nextContactTime < nowTime() &&
        !askYesNo(parent, QStringLiteral("下次联系时间已经过去,是否仍然保存?"), title)) {
        next->setFocus();
        return std::nullopt;
    }
    return entry;
}

void showTelLogs(QTableView *view, QAbstractItemModel *model, QAbstractItemDelegate *delegate)
{
    view->setModel(model);
    view->setItemDelegate(delegate);
    view->hideColumn(0);
    view->hideColumn(1);
    view->resizeColumnsToContents();
    limitColumnWidths(view);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void showPhoneSkills(QListView *view, QAbstractItemModel *model)
{
    view->setModel(model);
    view->setModelColumn(2);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

QString phoneSkillText(const QModelIndex &index)
{
    const auto *model = qobject_cast<const QSqlQueryModel *>(index.model());
    if (!model)
        return QString();
    return model->record(index.row()).value(QStringLiteral("content")).toString();
}

bool rowMoves(QDataWidgetMapper *mapper, RowMove move)
{
    const int row = mapper->currentIndex();
    if (row < 0)
        return false;
    if (move == RowMove::First || move == RowMove::Previous)
        return row > 0;
    QAbstractItemModel *model = mapper->model();
    return row + 1 < model->rowCount() || model->canFetchMore(QModelIndex());
}

void moveRow(QDataWidgetMapper *mapper, RowMove move)
{
    switch (move) {
    case RowMove::First:
        mapper->toFirst();
        break;
    case RowMove::Previous:
        mapper->toPrevious();
        break;
    case RowMove::Next:
        moveToNextRow(mapper);
        break;
    case RowMove::Last:
        moveToLastRow(mapper);
        break;
    }
}

bool moveToNextRow(QDataWidgetMapper *mapper)
{
    QAbstractItemModel *model = mapper->model();
    const int row = mapper->currentIndex();
    if (row + 1 >= model->rowCount() && model->canFetchMore(QModelIndex()))
        model->fetchMore(QModelIndex());
    mapper->toNext();
    return mapper->currentIndex() != row;
}

void moveToLastRow(QDataWidgetMapper *mapper)
{
    QAbstractItemModel *model = mapper->model();
    while (model->canFetchMore(QModelIndex()))
        model->fetchMore(QModelIndex());
    mapper->toLast();
}

void showReadOnlyFields(QWidget *form)
{
    for (QWidget *field : form->findChildren<QWidget *>()) {
        auto *line = qobject_cast<QLineEdit *>(field);
        auto *spin = qobject_cast<QAbstractSpinBox *>(field);
        if (!(line && line->isReadOnly()) && !(spin && spin->isReadOnly()))
            continue;
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        field->setPalette(palette);
        // Tab goes to what the agent enters; a click still selects to copy.
        field->setFocusPolicy(Qt::ClickFocus);
        if (spin)
            spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
    }
}
