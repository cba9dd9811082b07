#include "contactentry.h"

#include "common/calltools.h"
#include "widgets/fieldchecks.h"
#include "widgets/messageboxes.h"

#include <QDataWidgetMapper>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>
#include <QTextEdit>

void initContactWidgets(const ContactWidgets &widgets)
{
    const QDateTime start(Clock::now().date().addDays(5), QTime(0, 0));
    widgets.nextCall->setDateTime(quickContactTime(QuickTime::TomorrowMorning, Clock::now()));
    widgets.nextVisitTime->setDateTime(start);
}

std::optional<ContactEntry> readContactEntry(QWidget *parent, const ContactWidgets &widgets,
                                             bool descriptionNeeded)
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
        if (spin)
            spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
    }
}
