#pragma once

#include "common/dateutils.h"

#include <QDate>
#include <QDialog>

#include <memory>

class CustomerOrderItemDelegate;
class QSqlCustomerOrderQueryModel;

namespace Ui {
class CustomerOrdersDialog;
}

// The order lines of a period, or of all time, with their totals.
class CustomerOrdersDialog : public QDialog
{
    Q_OBJECT
public:
    // All orders when the text is empty, otherwise the dates shown (today).
    explicit CustomerOrdersDialog(QWidget *parent = nullptr, const QString &text = QString());
    // The orders of the days of begin to end (local dates).
    CustomerOrdersDialog(QWidget *parent, Seconds begin, Seconds end);
    ~CustomerOrdersDialog() override;

    qint64 totalAmount() const { return amount; }
    qint64 totalMoney() const { return money; }
    qint64 totalCustomerCount() const { return customerCount; }

private slots:
    void on_pushButtonToday_clicked();
    void on_pushButtonCurrentWeek_clicked();
    void on_pushButtonCurrentMonth_clicked();
    void on_pushButtonCurrentYear_clicked();
    void on_pushButtonAll_clicked();
    void on_pushButtonOk_clicked();
    void on_dateEditBegin_dateChanged(const QDate &date);
    void on_dateEditEnd_dateChanged(const QDate &date);
    void on_pushButtonClose_clicked();
    void on_pushButtonExport_clicked();

private:
    void setUp();
    void showPeriod(Seconds begin, Seconds end);
    void query();

    std::unique_ptr<Ui::CustomerOrdersDialog> ui;
    QSqlCustomerOrderQueryModel *model = nullptr;
    CustomerOrderItemDelegate *delegate = nullptr;
    bool showAll = false;
    // The period shown, for the export.
    Seconds shownFrom = 0;
    Seconds shownTo = 0;
    // Sums of many orders outgrow 32 bits.
    qint64 amount = 0;
    qint64 money = 0;
    qint64 customerCount = 0;
};
