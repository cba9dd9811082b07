#pragma once

#include <QDate>
#include <QDialog>

#include <memory>

namespace Ui {
class AddTeammateDialog;
}

// Entry of team members one after another. The dialog is dirty while the
// name field holds a name; closing it then asks first.
class AddTeammateDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddTeammateDialog(QWidget *parent = nullptr);
    ~AddTeammateDialog() override;

public slots:
    // Esc ends the dialog through here; it asks like the close button does.
    void reject() override;

protected slots:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_pushButtonSave_clicked();
    void on_pushButtonClose_clicked();
    void on_dateEditBirthDate_dateChanged(const QDate &date);

private:
    bool mayDiscard();
    void clearForm();

    std::unique_ptr<Ui::AddTeammateDialog> ui;
};
