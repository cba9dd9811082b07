#pragma once

#include <QDialog>
#include <QModelIndex>

#include <memory>

class CustomersItemDelegate;
class QSqlCustomerTableModel;

namespace Ui {
class TodayFirstPhoneCustomersDialog;
}

// Today's first calls to prospects: as many never-contacted prospects as the
// daily quota still allows, which the agent may raise five at a time.
class TodayFirstPhoneCustomersDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TodayFirstPhoneCustomersDialog(QWidget *parent = nullptr);
    ~TodayFirstPhoneCustomersDialog() override;

public slots:
    void LoadDb();

private slots:
    void on_pushButtonClose_clicked();
    void on_tableView_doubleClicked(const QModelIndex &index);
    void on_pushButtonAdd_clicked();

private:
    std::unique_ptr<Ui::TodayFirstPhoneCustomersDialog> ui;
    QSqlCustomerTableModel *model = nullptr;
    CustomersItemDelegate *delegate = nullptr;
    // Added to today's quota while this dialog is open; never stored.
    int extraCount = 0;
};
