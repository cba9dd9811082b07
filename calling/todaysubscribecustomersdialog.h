#pragma once

#include <QDialog>
#include <QModelIndex>

#include <memory>

class CustomersItemDelegate;
class QSqlCustomerQueryModel;

class QStyledItemDelegate;

namespace Ui {
class TodaySubscribeCustomersDialog;
}

// Prospects whose next contact falls due today: mode 1 a follow-up call,
// mode 2 a visit.
class TodaySubscribeCustomersDialog : public QDialog
{
    Q_OBJECT
public:
    TodaySubscribeCustomersDialog(QWidget *parent, int mode);
    ~TodaySubscribeCustomersDialog() override;

private slots:
    void on_pushButtonClose_clicked();
    void on_tableView_doubleClicked(const QModelIndex &index);

private:
    void reload();

    std::unique_ptr<Ui::TodaySubscribeCustomersDialog> ui;
    QSqlCustomerQueryModel *model = nullptr;
    CustomersItemDelegate *delegate = nullptr;
    QStyledItemDelegate *timeDelegate = nullptr;
    int mode;
};
