#pragma once

#include <QDialog>

#include <memory>

class QModelIndex;
class QSqlTableModel;

namespace Ui {
class ProductsDialog;
}

// The product catalogue, read-only in place; new products come through the
// add dialog, changes through the same form ("修改", a double click or
// Enter), and "删除" removes a product no order names, after a question.
class ProductsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ProductsDialog(QWidget *parent = nullptr);
    ~ProductsDialog() override;

private slots:
    void on_pushButtonAdd_clicked();
    void on_pushButtonEdit_clicked();
    void on_pushButtonDelete_clicked();
    void on_pushButtonClose_clicked();
    void on_tableView_doubleClicked(const QModelIndex &index);

private:
    void reload();
    // The current row's column as text.
    QString currentValue(int column) const;

    std::unique_ptr<Ui::ProductsDialog> ui;
    QSqlTableModel *model = nullptr;
};
