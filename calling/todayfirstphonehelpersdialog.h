#pragma once

#include <QDialog>
#include <QModelIndex>

#include <memory>

class HelperItemDelegate;
class QSqlTableModel;

namespace Ui {
class TodayFirstPhoneHelpersDialog;
}

// Today's first calls to recruits: as many never-contacted recruits as the
// daily quota still allows, which the agent may raise five at a time.
class TodayFirstPhoneHelpersDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TodayFirstPhoneHelpersDialog(QWidget *parent = nullptr);
    ~TodayFirstPhoneHelpersDialog() override;

private slots:
    void on_pushButtonClose_clicked();
    void on_tableView_doubleClicked(const QModelIndex &index);
    void on_pushButtonAppend_clicked();

private:
    void loadDb();

    std::unique_ptr<Ui::TodayFirstPhoneHelpersDialog> ui;
    QSqlTableModel *model = nullptr;
    HelperItemDelegate *delegate = nullptr;
    // Added to today's quota while this dialog is open; never stored.
    int extraCount = 0;
};
