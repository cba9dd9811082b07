#include "missedcallsdialog.h"
#include "ui_missedcallsdialog.h"

#include "common/phoneline.h"
#include "phone/phonecontroller.h"
#include "store/phonerecords.h"
#include "widgets/callbar.h"
#include "widgets/dialer.h"

#include <QSqlQueryModel>

MissedCallsDialog::MissedCallsDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::MissedCallsDialog>())
{
    ui->setupUi(this);
    ui->tableViewMissedCalls->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui->tableViewMissedCalls->setSelectionMode(QAbstractItemView::SingleSelection);
    ui->tableViewMissedCalls->setEditTriggers(QAbstractItemView::NoEditTriggers);
    callBar = new CallBar(this);
    ui->verticalLayout->insertWidget(1, callBar);
    if (PhoneLine *line = PhoneLine::instance())
        connect(line, &PhoneLine::missedCallsChanged, this, &MissedCallsDialog::reload);
    reload();
    ui->tableViewMissedCalls->setFocus();
}

MissedCallsDialog::~MissedCallsDialog() = default;

void MissedCallsDialog::reload()
{
    ui->tableViewMissedCalls->setModel(nullptr);
    delete model;
    model = loadMissedCallsModel(this);
    ui->tableViewMissedCalls->setModel(model);
    for (int column = MissedPersonId; column < model->columnCount(); ++column)
        ui->tableViewMissedCalls->hideColumn(column);
    ui->tableViewMissedCalls->resizeColumnsToContents();
    connect(ui->tableViewMissedCalls->selectionModel(), &QItemSelectionModel::currentRowChanged,
            this, &MissedCallsDialog::followRow);
    if (model->rowCount() > 0)
        ui->tableViewMissedCalls->selectRow(0);
    followRow();
}

void MissedCallsDialog::followRow()
{
    const QModelIndex current = ui->tableViewMissedCalls->currentIndex();
    ui->pushButtonCallBack->setEnabled(current.isValid());
    ui->pushButtonPerson->setEnabled(current.isValid() &&
                                     current.siblingAtColumn(MissedKindCode).data().toInt() != 0);
}

void MissedCallsDialog::on_pushButtonCallBack_clicked()
{
    const QModelIndex current = ui->tableViewMissedCalls->currentIndex();
    if (!current.isValid())
        return;
    const QString number = current.siblingAtColumn(MissedNumber).data().toString();
    const DialResult result =
        dialNumber(this, number, ui->pushButtonCallBack,
                   current.siblingAtColumn(MissedKindCode).data().toInt(),
                   current.siblingAtColumn(MissedPersonId).data().toLongLong());
    // A call through the telephone marks the row itself; a link cannot tell.
    if (result == DialledByLink)
        markMissedCallsCalledBack(number);
    reload();
}

void MissedCallsDialog::on_pushButtonPerson_clicked()
{
    const QModelIndex current = ui->tableViewMissedCalls->currentIndex();
    PhoneController *controller = PhoneController::instance();
    if (!current.isValid() || !controller || !controller->hooks().openPerson)
        return;
    controller->hooks().openPerson(current.siblingAtColumn(MissedKindCode).data().toInt(),
                                   current.siblingAtColumn(MissedPersonId).data().toLongLong());
    reload();
}

void MissedCallsDialog::on_pushButtonClose_clicked()
{
    accept();
}
