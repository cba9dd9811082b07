#include "addcustomerorderdialog.h"
#include "ui_addcustomerorderdialog.h"

#include "common/dateutils.h"
#include "widgets/listkeys.h"
#include "widgets/messageboxes.h"
#include "prospects/customersdialog.h"
#include "store/catalogstore.h"
#include "store/sqlcondition.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSqlRecord>
#include <QStyledItemDelegate>

namespace {
const QString promptTitle = QStringLiteral("提示");

// Quantity and price cells take digits only as typed; a decimal point or a
// blank still gets through and makes the line invalid on saving, as before.
class OrderLineDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        auto *lineEdit = qobject_cast<QLineEdit *>(editor);
        if (lineEdit && (index.column() == AddCustomerOrderDialog::ColumnAmount ||
                         index.column() == AddCustomerOrderDialog::ColumnMoney)) {
            static const QRegularExpression numberText(QStringLiteral("[0-9. ]{0,18}"));
            lineEdit->setValidator(new QRegularExpressionValidator(numberText, lineEdit));
        }
        return editor;
    }
};
} // namespace

AddCustomerOrderDialog::AddCustomerOrderDialog(QWidget *parent, int customerId,
                                               const QString &customerName)
    : QDialog(parent), ui(std::make_unique<Ui::AddCustomerOrderDialog>()), customerId(customerId),
      customerName(customerName)
{
    ui->setupUi(this);
    ui->tabWidget->setCurrentIndex(0);
    ui->tableWidget->setHorizontalHeaderLabels({QStringLiteral("产品编号"), QStringLiteral("名称"),
                                                QStringLiteral("数量"), QStringLiteral("金额")});
    // The line's money is stored as typed: what the line costs, not a unit price.
    ui->tableWidget->horizontalHeaderItem(ColumnMoney)
        ->setToolTip(QStringLiteral("这一行的金额 (数量 × 单价), 不是单价"));
    ui->tableWidget->setItemDelegate(new OrderLineDelegate(ui->tableWidget));
    ui->lineEdit->setText(customerName);
    // Enter looks the product up; it must not reach the save button.
    onEnterKey(ui->tableWidget, [this](const QModelIndex &index) {
        on_tableWidget_cellActivated(index.row(), index.column());
    });

    input.watch({ui->tableWidget});
    if (customerId == -1) {
        ui->pushButtonSelectCustomer->setFocus();
    } else {
        ui->tableWidget->setCurrentCell(0, ColumnProductId);
        ui->tableWidget->setFocus();
    }
}

AddCustomerOrderDialog::~AddCustomerOrderDialog() = default;

void AddCustomerOrderDialog::setSaveAlongside(const std::function<bool()> &writes)
{
    alongside = writes;
    ui->pushButtonSelectCustomer->setEnabled(false);
}

QString AddCustomerOrderDialog::cellText(int row, int column) const
{
    const QTableWidgetItem *item = ui->tableWidget->item(row, column);
    return item ? item->text().trimmed() : QString();
}

void AddCustomerOrderDialog::on_pushButtonSelectCustomer_clicked()
{
    CustomersDialog dialog(this, true);
    if (dialog.exec() == QDialog::Accepted) {
        customerId = dialog.selectedCustomerId();
        customerName = dialog.selectedCustomerName();
        ui->lineEdit->setText(customerName);
    }
    ui->tableWidget->setFocus();
}

void AddCustomerOrderDialog::on_lineEdit_editingFinished()
{
    if (ui->lineEdit->text().trimmed() != customerName)
        customerId = -1;
}

void AddCustomerOrderDialog::on_lineEdit_returnPressed() {}

void AddCustomerOrderDialog::on_tableWidget_currentCellChanged(int, int, int, int) {}

void AddCustomerOrderDialog::on_tableWidget_cellActivated(int row, int column)
{
    QString columnName;
    if (column == ColumnProductId)
        columnName = QStringLiteral("id");
    else if (column == ColumnProductName)
        columnName = QStringLiteral("name");
    else
        return;
    const QString typed = cellText(row, column);
    if (typed.isEmpty())
        return;

    // Typed text is quoted, so a quote in a code matches itself.
    const std::unique_ptr<QSqlTableModel> products(
        loadProductsModel(nullptr, columnName + QStringLiteral(" = ") + sqlQuoted(typed)));
    if (products->rowCount() < 1)
        return;
    const QSqlRecord product = products->record(0);
    ui->tableWidget->setItem(row, ColumnProductId,
                             new QTableWidgetItem(product.value(QStringLiteral("id")).toString()));
    ui->tableWidget->setItem(
        row, ColumnProductName,
        new QTableWidgetItem(product.value(QStringLiteral("name")).toString()));
    ui->tableWidget->setCurrentCell(row, ColumnAmount);
    activateWindow();
}

void AddCustomerOrderDialog::on_pushButtonSave_clicked()
{
    if (customerId == -1) {
        showWarning(this, QStringLiteral("请指定客户"), promptTitle);
        return;
    }

    QList<OrderLine> lines;
    for (int row = 0; row < ui->tableWidget->rowCount(); ++row) {
        const QString amount = cellText(row, ColumnAmount);
        const QString money = cellText(row, ColumnMoney);
        const OrderLine line{cellText(row, ColumnProductId), amount.toInt(), money.toLongLong()};
        if (line.productCode.isEmpty() && cellText(row, ColumnProductName).isEmpty() &&
            amount.isEmpty() && money.isEmpty())
            continue;
        // A line begun but not finished (no product, no amount or price, or
        // one that is no whole number above 0) would be lost without a word.
        const int missing = line.productCode.isEmpty() ? ColumnProductId
                            : line.amount <= 0         ? ColumnAmount
                            : line.money <= 0          ? ColumnMoney
                                                       : -1;
        if (missing >= 0) {
            ui->tableWidget->setCurrentCell(row, missing);
            ui->tableWidget->setFocus();
            showWarning(this,
                        QStringLiteral("第 %1 行订单不完整: 请填写产品编号、数量和金额 "
                                       "(大于 0 的整数).")
                            .arg(row + 1),
                        promptTitle);
            return;
        }
        lines.append(line);
    }
    if (lines.isEmpty()) {
        showWarning(this, QStringLiteral("请输入有效的订单内容"), promptTitle);
        return;
    }
    // All lines or none: on failure the store has shown why, and the lines
    // stay for another try.
    if (!addCustomerOrderLines(customerId, nowTime(), lines, alongside))
        return;
    accept();
}

void AddCustomerOrderDialog::on_pushButtonClose_clicked()
{
    reject();
}

void AddCustomerOrderDialog::reject()
{
    if (input.mayDrop(this))
        QDialog::reject();
}
