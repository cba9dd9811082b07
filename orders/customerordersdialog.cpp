#include "customerordersdialog.h"
#include "ui_customerordersdialog.h"

#include "exchange/listexportdialog.h"
#include "orders/customerorderitemdelegate.h"
#include "store/catalogstore.h"

#include <QCalendarWidget>
#include <QDateTime>

namespace {
constexpr int ColumnCustomerId = 2;

QDate localDate(Seconds time)
{
    return QDateTime::fromSecsSinceEpoch(time).date();
}
} // namespace

CustomerOrdersDialog::CustomerOrdersDialog(QWidget *parent, const QString &text)
    : QDialog(parent), ui(std::make_unique<Ui::CustomerOrdersDialog>())
{
    setUp();
    showAll = text.isEmpty();
    query();
}

CustomerOrdersDialog::CustomerOrdersDialog(QWidget *parent, Seconds begin, Seconds end)
    : QDialog(parent), ui(std::make_unique<Ui::CustomerOrdersDialog>())
{
    setUp();
    ui->dateEditBegin->setDate(localDate(begin));
    ui->dateEditEnd->setDate(localDate(end));
    showAll = false;
    query();
}

CustomerOrdersDialog::~CustomerOrdersDialog() = default;

void CustomerOrdersDialog::setUp()
{
    ui->setupUi(this);
    // A range always starts from a real day rather than the form's placeholder.
    const QDate today = Clock::now().date();
    ui->dateEditBegin->setDate(today);
    ui->dateEditEnd->setDate(today);
    ui->tableView->setFocus();
}

void CustomerOrdersDialog::query()
{
    ui->tableView->setModel(nullptr);
    delete model;
    delete delegate;

    const Seconds from = GetDayBegin(ui->dateEditBegin->date());
    const Seconds to = dayEndTime(ui->dateEditEnd->date());
    shownFrom = from;
    shownTo = to;
    model = showAll ? loadOrdersModel(this, QString()) : loadOrdersModelForPeriod(this, from, to);
    delegate = new CustomerOrderItemDelegate(this);
    ui->tableView->setModel(model);
    ui->tableView->setItemDelegate(delegate);
    ui->tableView->hideColumn(ColumnCustomerId);
    ui->tableView->resizeColumnsToContents();
    ui->tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);

    amount = 0;
    money = 0;
    customerCount = 0;
    if (showAll) {
        setWindowTitle(QStringLiteral("成交客户订单列表 [历史所有]"));
        orderTotals(QString(), amount, money, customerCount);
    } else {
        const QString format = QStringLiteral("yy-MM-dd");
        setWindowTitle(QStringLiteral("成交客户订单列表 [") +
                       ui->dateEditBegin->date().toString(format) + QStringLiteral("至") +
                       ui->dateEditEnd->date().toString(format) + QStringLiteral("]"));
        orderTotalsForPeriod(from, to, amount, money, customerCount);
    }
    ui->labelCustomerCount->setText(QStringLiteral("成交客户数:") + QString::number(customerCount));
    ui->labelAmount->setText(QStringLiteral("成交产品数量:") + QString::number(amount));
    ui->labelMoney->setText(QStringLiteral("成交总金额:") + QString::number(money));
}

void CustomerOrdersDialog::showPeriod(Seconds begin, Seconds end)
{
    ui->dateEditBegin->setDate(localDate(begin));
    ui->dateEditEnd->setDate(localDate(end));
    showAll = false;
    query();
}

void CustomerOrdersDialog::on_pushButtonToday_clicked()
{
    showPeriod(todayBeginTime(), todayEndTime());
}

void CustomerOrdersDialog::on_pushButtonCurrentWeek_clicked()
{
    showPeriod(weekBeginTime(), weekEndTime());
}

void CustomerOrdersDialog::on_pushButtonCurrentMonth_clicked()
{
    showPeriod(monthBeginTime(), monthEndTime());
}

void CustomerOrdersDialog::on_pushButtonCurrentYear_clicked()
{
    showPeriod(currentYearBeginTime(), currentYearEndTime());
}

void CustomerOrdersDialog::on_pushButtonAll_clicked()
{
    showAll = true;
    query();
}

void CustomerOrdersDialog::on_pushButtonOk_clicked()
{
    showAll = false;
    query();
}

void CustomerOrdersDialog::on_dateEditBegin_dateChanged(const QDate &date)
{
    ui->dateEditBegin->calendarWidget()->setSelectedDate(date);
}

void CustomerOrdersDialog::on_dateEditEnd_dateChanged(const QDate &date)
{
    ui->dateEditEnd->calendarWidget()->setSelectedDate(date);
}

void CustomerOrdersDialog::on_pushButtonExport_clicked()
{
    exportListInteractively(
        this,
        exportSource(ExportList::Orders,
                     showAll ? QString() : orderPeriodFilter(shownFrom, shownTo)),
        QStringLiteral("订单"));
}

void CustomerOrdersDialog::on_pushButtonClose_clicked()
{
    close();
}
