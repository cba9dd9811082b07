#include "todaysubscribecustomersdialog.h"
#include "ui_todaysubscribecustomersdialog.h"

#include "calling/calldialog.h"
#include "calling/customercalendardelegate.h"
#include "common/dateutils.h"
#include "store/customermodels.h"
#include "store/schedulestore.h"
#include "widgets/customersitemdelegate.h"
#include "widgets/dialer.h"
#include "widgets/persontable.h"
#include "widgets/rowactivation.h"

TodaySubscribeCustomersDialog::TodaySubscribeCustomersDialog(QWidget *parent, int mode)
    : QDialog(parent), ui(std::make_unique<Ui::TodaySubscribeCustomersDialog>()), mode(mode)
{
    ui->setupUi(this);
    addDialToContextMenu(ui->tableView, ColumnPhoneNumber);
    if (mode == 1)
        setWindowTitle(QStringLiteral("今日需再次电话联系准客户"));
    else if (mode == 2)
        setWindowTitle(QStringLiteral("今日需约访准客户名单"));
    else
        setWindowTitle(QStringLiteral("今日需再次联系的准客户"));
    activateRowsOnEnter(ui->tableView);
    timeDelegate = new PromisedTimeDelegate(this);
    reload();
    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint);
    ui->tableView->setFocus();
}

TodaySubscribeCustomersDialog::~TodaySubscribeCustomersDialog() = default;

void TodaySubscribeCustomersDialog::reload()
{
    ui->tableView->setModel(nullptr);
    delete model;
    delete delegate;
    model = loadCustomersToContactModel(this, todayBeginTime(), todayEndTime(), mode);
    delegate = new CustomersItemDelegate(this);
    showPersonTable(ui->tableView, model, delegate, {ColumnUserType});
    // The promised time, after the person's columns.
    ui->tableView->setItemDelegateForColumn(ColumnPromisedTime, timeDelegate);
    ui->tableView->resizeColumnToContents(ColumnPromisedTime);
}

void TodaySubscribeCustomersDialog::on_pushButtonClose_clicked()
{
    close();
}

void TodaySubscribeCustomersDialog::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (!index.isValid() || !model)
        return;
    bool saved = false;
    {
        CallDialog dialog(model, index, this);
        dialog.exec();
        saved = dialog.isSaved();
    }
    // An unsaved call changed nothing, so the agent keeps the list as it was.
    if (saved)
        reload();
}
