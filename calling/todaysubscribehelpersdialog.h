#pragma once

#include <QDialog>
#include <QModelIndex>

#include <memory>

class HelperItemDelegate;
class QSqlQueryModel;

class QStyledItemDelegate;

namespace Ui {
class TodaySubscribeHelpersDialog;
}

// Recruits whose next contact falls due today: mode 1 a follow-up call,
// mode 2 a visit.
class TodaySubscribeHelpersDialog : public QDialog
{
    Q_OBJECT
public:
    TodaySubscribeHelpersDialog(QWidget *parent, int mode);
    ~TodaySubscribeHelpersDialog() override;

private slots:
    void on_pushButtonClose_clicked();
    void on_tableView_doubleClicked(const QModelIndex &index);

private:
    void reload();

    std::unique_ptr<Ui::TodaySubscribeHelpersDialog> ui;
    QSqlQueryModel *model = nullptr;
    HelperItemDelegate *delegate = nullptr;
    QStyledItemDelegate *timeDelegate = nullptr;
    int mode;
};
