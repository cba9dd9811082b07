#include "contactedcustomersdialog.h"
#include "ui_contactedcustomersdialog.h"

#include "calling/calldialog.h"
#include "widgets/customersitemdelegate.h"
#include "widgets/persontable.h"
#include "widgets/rowactivation.h"
#include "store/schedulestore.h"
#include "store/sqlcondition.h"
#include "widgets/dialer.h"
#include "store/customermodels.h"

ContactedCustomersDialog::ContactedCustomersDialog(QWidget *parent, Seconds rangeBegin,
                                                   Seconds rangeEnd, int contactType)
    : QDialog(parent), ui(std::make_unique<Ui::ContactedCustomersDialog>()),
      contactType(contactType), rangeBegin(rangeBegin), rangeEnd(rangeEnd)
{
    ui->setupUi(this);
    addDialToContextMenu(ui->tableView, ColumnPhoneNumber);
    ui->dateEditBegin->setDate(QDateTime::fromSecsSinceEpoch(rangeBegin).date());
    ui->dateEditEnd->setDate(QDateTime::fromSecsSinceEpoch(rangeEnd).date());
    if (contactType == 1)
        setWindowTitle(QStringLiteral("今日已电话联系准客户"));
    else if (contactType == 2)
        setWindowTitle(QStringLiteral("今日已约访准客户"));
    activateRowsOnEnter(ui->tableView);
    reload();
    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint);
    ui->lineEditName->setFocus();
}

ContactedCustomersDialog::~ContactedCustomersDialog() = default;

void ContactedCustomersDialog::reload()
{
    rangeBegin = GetDayBegin(ui->dateEditBegin->date());
    rangeEnd = dayEndTime(ui->dateEditEnd->date());

    // Names are stored encoded: compare the typed text, as typed, with the
    // names the agent reads in the list.
    const QString typed = ui->lineEditName->text();
    const QString filter =
        typed.isEmpty() ? QString() : encodedNameContains(QStringLiteral("name"), typed);

    ui->tableView->setModel(nullptr);
    delete model;
    delete delegate;
    model = loadContactedCustomersModel(this, rangeBegin, rangeEnd, contactType, filter);
    delegate = new CustomersItemDelegate(this);
    showPersonTable(ui->tableView, model, delegate, {ColumnUserType});
}

void ContactedCustomersDialog::on_pushButtonClose_clicked()
{
    close();
}

void ContactedCustomersDialog::on_pushButtonSearch_clicked()
{
    reload();
    ui->lineEditName->setFocus();
}

void ContactedCustomersDialog::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (!index.isValid() || !model)
        return;
    CallDialog dialog(model, index, this);
    dialog.exec();
}
