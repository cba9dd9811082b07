#pragma once

#include <QDialog>
#include <QModelIndex>
#include <QString>

#include <memory>

class HelperItemDelegate;
class QSqlTableModel;

namespace Ui {
class HelperDialog;
}

// The active recruits, all at once, with a search; a double click (or Enter)
// calls the recruit, "新增" enters new ones.
class HelperDialog : public QDialog
{
    Q_OBJECT
public:
    explicit HelperDialog(QWidget *parent = nullptr);
    ~HelperDialog() override;

private slots:
    void on_pushButtonClose_clicked();
    void on_pushButtonAdd_clicked();
    void on_pushButtonSearch_clicked();
    void on_pushButtonExport_clicked();
    void on_pushButtonImport_clicked();
    void on_tableView_doubleClicked(const QModelIndex &index);

private:
    void reload();

    std::unique_ptr<Ui::HelperDialog> ui;
    QSqlTableModel *model = nullptr;
    HelperItemDelegate *delegate = nullptr;
    // The condition of the rows shown, for the export.
    QString condition;
};
