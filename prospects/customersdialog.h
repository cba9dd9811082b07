#pragma once

#include <QDialog>
#include <QModelIndex>
#include <QString>

#include <memory>

class CustomersItemDelegate;
class QAction;
class QMenu;
class QSqlCustomerTableModel;

namespace Ui {
class CustomersDialog;
}

// The prospects that are not abandoned, a hundred to a page, with a search;
// in select mode it doubles as a picker that hands one prospect back.
class CustomersDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CustomersDialog(QWidget *parent = nullptr, bool selectMode = false);
    ~CustomersDialog() override;

    int selectedCustomerId() const { return m_selectedCustomerId; }
    QString selectedCustomerName() const { return m_selectedCustomerName; }

    static constexpr int pageSize = 100;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void on_pushButtonClose_clicked();
    void on_tableView_doubleClicked(const QModelIndex &index);
    void on_pushButtonAdd_clicked();
    void on_pushButtonSearch_clicked();
    void on_pushButtonExport_clicked();
    void on_pushButtonImport_clicked();
    void on_action_add_customer_triggered();
    void on_action_edit_customer_triggered();
    void on_action_call_customer_triggered();
    void on_action_useless_customer_triggered();
    void on_comboBoxPages_currentIndexChanged(int index);

private:
    void buildSearch();
    void reload();
    void callCustomer(const QModelIndex &index);
    void selectRow(int row);
    int customerIdAt(int row) const;

    std::unique_ptr<Ui::CustomersDialog> ui;
    QSqlCustomerTableModel *model = nullptr;
    CustomersItemDelegate *delegate = nullptr;
    QMenu *contextMenu = nullptr;
    QAction *dialAction = nullptr;
    bool selectMode = false;
    int m_selectedCustomerId = -1;
    QString m_selectedCustomerName;
    QString filter;
    int page = 1;
};
