#pragma once

#include <QDialog>

#include <memory>

class HelperItemDelegate;
class QSqlTableModel;

namespace Ui {
class UselessHelpersDialog;
}

// Abandoned recruits, all at once, with a search; one can be taken back.
class UselessHelpersDialog : public QDialog
{
    Q_OBJECT
public:
    explicit UselessHelpersDialog(QWidget *parent = nullptr);
    ~UselessHelpersDialog() override;

private slots:
    void on_pushButtonClose_clicked();
    void on_pushButtonSearch_clicked();
    void on_pushButtonRecover_clicked();

private:
    void reload();

    std::unique_ptr<Ui::UselessHelpersDialog> ui;
    QSqlTableModel *model = nullptr;
    HelperItemDelegate *delegate = nullptr;
};
