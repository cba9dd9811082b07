#pragma once

#include "common/dateutils.h"

#include <QDialog>

#include <memory>

class CustomerCalendarDelegate;
class QSqlCustomerCalendarQueryModel;
class QSqlQueryModel;

namespace Ui {
class CalendarDialog;
}

// The visits planned with prospects and recruits within a range of days.
// It only displays; nothing here writes to the store.
class CalendarDialog : public QDialog
{
    Q_OBJECT
public:
    CalendarDialog(QWidget *parent, Seconds begin, Seconds end);
    ~CalendarDialog() override;

private slots:
    void on_pushButtonClose_clicked();
    void on_pushButtonOk_clicked();
    void on_dateEditBegin_dateChanged(const QDate &date);
    void on_dateEditEnd_dateChanged(const QDate &date);
    void on_pushButtonToday_clicked();
    void on_pushButtonCurrentWeek_clicked();
    void on_pushButtonCurrentMonth_clicked();
    // The person's call dialog; the calendar follows what was saved.
    void on_tableView_doubleClicked(const QModelIndex &index);
    void on_tableViewHelper_doubleClicked(const QModelIndex &index);

private:
    void showRange(Seconds begin, Seconds end);
    void reload();
    void callPerson(const QModelIndex &index, bool prospect);

    std::unique_ptr<Ui::CalendarDialog> ui;
    QSqlCustomerCalendarQueryModel *customerModel = nullptr;
    QSqlQueryModel *helperModel = nullptr;
    CustomerCalendarDelegate *delegate = nullptr;
};
