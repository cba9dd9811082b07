#include "calendardialog.h"
#include "ui_calendardialog.h"

#include "calling/customercalendardelegate.h"
#include "calling/opencall.h"
#include "store/schedulestore.h"
#include "widgets/listkeys.h"
#include "widgets/rowactivation.h"

#include <QCalendarWidget>

namespace {
enum CalendarColumn
{
    LogId,
    Time,
    Name,
    PersonId
};

void showCalendarTable(QTableView *view, QAbstractItemModel *model, QAbstractItemDelegate *delegate)
{
    model->setHeaderData(Name, Qt::Horizontal, CalendarDialog::tr("事件"), Qt::EditRole);
    view->setModel(model);
    view->setItemDelegate(delegate);
    view->hideColumn(LogId);
    view->hideColumn(PersonId);
    view->setColumnWidth(Time, 100);
    view->setColumnWidth(Name, 300);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fetchToEndOnCtrlEnd(view);
}
} // namespace

CalendarDialog::CalendarDialog(QWidget *parent, Seconds begin, Seconds end)
    : QDialog(parent), ui(std::make_unique<Ui::CalendarDialog>())
{
    ui->setupUi(this);
    activateRowsOnEnter(ui->tableView);
    activateRowsOnEnter(ui->tableViewHelper);
    showRange(begin, end);
}

CalendarDialog::~CalendarDialog() = default;

void CalendarDialog::showRange(Seconds begin, Seconds end)
{
    ui->dateEditBegin->setDate(QDateTime::fromSecsSinceEpoch(begin).date());
    ui->dateEditEnd->setDate(QDateTime::fromSecsSinceEpoch(end).date());
    reload();
}

void CalendarDialog::reload()
{
    ui->tableView->setModel(nullptr);
    ui->tableViewHelper->setModel(nullptr);
    delete customerModel;
    delete delegate;
    delete helperModel;

    const Seconds begin = GetDayBegin(ui->dateEditBegin->date());
    const Seconds end = dayEndTime(ui->dateEditEnd->date());

    delegate = new CustomerCalendarDelegate(this);
    customerModel = loadCustomerCalendarModel(this, begin, end, 2);
    showCalendarTable(ui->tableView, customerModel, delegate);
    helperModel = loadHelperCalendarModel(this, begin, end, 2);
    showCalendarTable(ui->tableViewHelper, helperModel, delegate);
}

void CalendarDialog::on_tableView_doubleClicked(const QModelIndex &index)
{
    callPerson(index, true);
}

void CalendarDialog::on_tableViewHelper_doubleClicked(const QModelIndex &index)
{
    callPerson(index, false);
}

void CalendarDialog::callPerson(const QModelIndex &index, bool prospect)
{
    if (!index.isValid())
        return;
    const qint64 person = index.siblingAtColumn(PersonId).data().toLongLong();
    if (runCallDialogForPerson(this, prospect, person))
        reload();
}

void CalendarDialog::on_pushButtonClose_clicked()
{
    close();
}

void CalendarDialog::on_pushButtonOk_clicked()
{
    reload();
}

// A typed date loads nothing by itself; the pop-up just opens on it.
void CalendarDialog::on_dateEditBegin_dateChanged(const QDate &date)
{
    if (QCalendarWidget *popup = ui->dateEditBegin->calendarWidget())
        popup->setSelectedDate(date);
}

void CalendarDialog::on_dateEditEnd_dateChanged(const QDate &date)
{
    if (QCalendarWidget *popup = ui->dateEditEnd->calendarWidget())
        popup->setSelectedDate(date);
}

void CalendarDialog::on_pushButtonToday_clicked()
{
    showRange(todayBeginTime(), todayEndTime());
}

void CalendarDialog::on_pushButtonCurrentWeek_clicked()
{
    showRange(weekBeginTime(), weekEndTime());
}

void CalendarDialog::on_pushButtonCurrentMonth_clicked()
{
    showRange(monthBeginTime(), monthEndTime());
}
