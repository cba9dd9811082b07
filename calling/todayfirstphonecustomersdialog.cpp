#include "todayfirstphonecustomersdialog.h"
#include "ui_todayfirstphonecustomersdialog.h"

#include "widgets/messageboxes.h"
#include "calling/calldialog.h"
#include "calling/todaylists.h"
#include "widgets/customersitemdelegate.h"
#include "widgets/persontable.h"
#include "widgets/rowactivation.h"
#include "store/customerstore.h"
#include "widgets/dialer.h"
#include "store/customermodels.h"

namespace {
const QString promptTitle = QStringLiteral("提示");
}

TodayFirstPhoneCustomersDialog::TodayFirstPhoneCustomersDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TodayFirstPhoneCustomersDialog>())
{
    ui->setupUi(this);
    addDialToContextMenu(ui->tableView, ColumnPhoneNumber);
    activateRowsOnEnter(ui->tableView);
    LoadDb();
    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint);
    ui->tableView->setFocus();
}

TodayFirstPhoneCustomersDialog::~TodayFirstPhoneCustomersDialog() = default;

void TodayFirstPhoneCustomersDialog::LoadDb()
{
    const FirstCallList list = todayFirstCallCustomers(extraCount);
    const int quota = list.quota;

    ui->tableView->setModel(nullptr);
    delete model;
    delete delegate;

    model = loadCustomersModel(this, list.filter, 0, 100);
    delegate = new CustomersItemDelegate(this);
    showPersonTable(ui->tableView, model, delegate, {ColumnUserType, ColumnServerCustomerId});

    if (quota > 0 && model->rowCount() < quota)
        showWarning(parentWidget(), QStringLiteral("客户名单不足."), promptTitle);
}

void TodayFirstPhoneCustomersDialog::on_pushButtonClose_clicked()
{
    close();
}

void TodayFirstPhoneCustomersDialog::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (!index.isValid() || !model)
        return;
    const int before = model->rowCount();
    {
        // Gone before the reload replaces the model it borrows.
        CallDialog dialog(model, index, this);
        dialog.exec();
    }
    LoadDb();
    if (before > 0 && model->rowCount() == 0 &&
        askYesNo(this, QStringLiteral("今日首次电话联系准客户已完成，需要追加准客户吗?"),
                 promptTitle)) {
        extraCount += appendStep;
        LoadDb();
    }
}

void TodayFirstPhoneCustomersDialog::on_pushButtonAdd_clicked()
{
    if (!askYesNo(this, QStringLiteral("确认要追加5条今日联系的准客户吗?"), promptTitle))
        return;
    extraCount += appendStep;
    LoadDb();
}
