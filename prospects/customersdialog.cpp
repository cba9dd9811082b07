#include "customersdialog.h"
#include "ui_customersdialog.h"

#include "widgets/messageboxes.h"
#include "calling/calldialog.h"
#include "exchange/importpeopledialog.h"
#include "exchange/listexportdialog.h"
#include "prospects/addcustomerdialog.h"
#include "widgets/customersitemdelegate.h"
#include "prospects/editcustomerdialog.h"
#include "widgets/persontable.h"
#include "widgets/searchcondition.h"
#include "store/customerstore.h"
#include "widgets/dialer.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QDebug>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalBlocker>

CustomersDialog::CustomersDialog(QWidget *parent, bool selectMode)
    : QDialog(parent), ui(std::make_unique<Ui::CustomersDialog>()), selectMode(selectMode)
{
    ui->setupUi(this);

    contextMenu = new QMenu(this);
    contextMenu->addAction(ui->action_add_customer);
    contextMenu->addAction(ui->action_edit_customer);
    contextMenu->addAction(ui->action_useless_customer);
    contextMenu->addSeparator();
    contextMenu->addAction(ui->action_call_customer);
    dialAction = createDialAction(ui->tableView, ColumnPhoneNumber, this);
    contextMenu->addAction(dialAction);

    // Enter on a row acts like a double click instead of reaching the
    // dialog's default button, the search, which would jump back to page 1.
    ui->tableView->installEventFilter(this);

    buildSearch();
    reload();
    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint);
}

CustomersDialog::~CustomersDialog() = default;

void CustomersDialog::buildSearch()
{
    filter = personSearchCondition(
        QStringLiteral(" user_type != 0 "),
        {ui->lineEditName->text(), ui->lineEditBirthday->text(), ui->lineEditHomeAddress->text()},
        NameStorage::Base64);
    const int pages = customerPageCount(filter, pageSize);

    // Refilling the list passes through "no page", which would mean every
    // matching row; the caller loads the first page once instead.
    {
        const QSignalBlocker blocker(ui->comboBoxPages);
        ui->comboBoxPages->clear();
        for (int number = 1; number <= pages; ++number)
            ui->comboBoxPages->addItem(QString::number(number));
        ui->comboBoxPages->setCurrentIndex(pages > 0 ? 0 : -1);
    }
    page = 1;
}

void CustomersDialog::reload()
{
    ui->tableView->setModel(nullptr);
    delete model;
    delete delegate;

    model = loadCustomersModel(this, filter, page, pageSize);
    delegate = new CustomersItemDelegate(this);
    showPersonTable(ui->tableView, model, delegate, {ColumnUserType, ColumnServerCustomerId});
}

int CustomersDialog::customerIdAt(int row) const
{
    return model->data(model->index(row, ColumnId)).toInt();
}

void CustomersDialog::selectRow(int row)
{
    m_selectedCustomerId = customerIdAt(row);
    m_selectedCustomerName = model->data(model->index(row, ColumnName)).toString();
}

void CustomersDialog::on_pushButtonClose_clicked()
{
    const QModelIndex current = ui->tableView->currentIndex();
    if (current.isValid()) {
        selectRow(current.row());
        done(QDialog::Accepted);
    } else {
        done(QDialog::Rejected);
    }
}

void CustomersDialog::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    if (!selectMode) {
        callCustomer(index);
        return;
    }
    selectRow(index.row());
    done(QDialog::Accepted);
}

void CustomersDialog::callCustomer(const QModelIndex &index)
{
    CallDialog dialog(model, index, this);
    dialog.exec();
    reload();
}

void CustomersDialog::on_pushButtonAdd_clicked()
{
    AddCustomerDialog dialog(this);
    dialog.exec();
    reload();
}

void CustomersDialog::on_pushButtonSearch_clicked()
{
    buildSearch();
    reload();
    ui->lineEditName->setFocus();
}

// Every page of what the last search found, not only the page shown.
void CustomersDialog::on_pushButtonExport_clicked()
{
    exportListInteractively(this, exportSource(ExportList::Prospects, filter),
                            QStringLiteral("准客户"));
}

void CustomersDialog::on_pushButtonImport_clicked()
{
    ImportPeopleDialog dialog(PersonTable::Customers, this);
    dialog.exec();
    buildSearch();
    reload();
}

void CustomersDialog::on_action_add_customer_triggered()
{
    on_pushButtonAdd_clicked();
}

void CustomersDialog::on_action_edit_customer_triggered()
{
    const QModelIndex current = ui->tableView->currentIndex();
    if (!current.isValid()) {
        showWarning(this, QStringLiteral("请选中需编辑的客户条目"), QStringLiteral("提示"));
        return;
    }
    EditCustomerDialog dialog(customerIdAt(current.row()), this);
    dialog.exec();
    reload();
}

void CustomersDialog::on_action_call_customer_triggered()
{
    const QModelIndex current = ui->tableView->currentIndex();
    if (current.isValid())
        callCustomer(current);
}

void CustomersDialog::on_action_useless_customer_triggered()
{
    const QModelIndex current = ui->tableView->currentIndex();
    if (!current.isValid())
        return;
    const int id = customerIdAt(current.row());
    if (!askYesNo(this, QStringLiteral("确认要放弃该客户吗?"), QStringLiteral("提示"),
                  QMessageBox::Warning))
        return;
    setCustomerUserType(id, 0);
    reload();
}

void CustomersDialog::on_comboBoxPages_currentIndexChanged(int index)
{
    page = index + 1;
    reload();
}

bool CustomersDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->tableView && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            on_tableView_doubleClicked(ui->tableView->currentIndex());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CustomersDialog::contextMenuEvent(QContextMenuEvent *event)
{
    const QRect tableRect(ui->tableView->mapTo(this, QPoint(0, 0)),
                          ui->tableView->frameGeometry().size());
    qDebug() << "CustomersDialog::contextMenuEvent";
    qDebug() << "pos:" << event->pos() << "rect:" << tableRect;
    if (tableRect.contains(event->pos()) && ui->tableView->currentIndex().isValid()) {
        updateDialAction(dialAction, ui->tableView, ColumnPhoneNumber);
        contextMenu->exec(QCursor::pos());
    }
    QDialog::contextMenuEvent(event);
}
