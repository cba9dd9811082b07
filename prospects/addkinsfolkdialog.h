#pragma once

#include <QDate>
#include <QDialog>

#include <memory>

namespace Ui {
class AddKinsfolkDialog;
}

// One relative of a prospect saved earlier in AddCustomerDialog.
class AddKinsfolkDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddKinsfolkDialog(int customerId, QWidget *parent = nullptr);
    ~AddKinsfolkDialog() override;

    // True once a relative has been stored, so that the opener knows to reload.
    bool isSaved() const { return saved; }

private slots:
    void on_pushButtonSave_clicked();
    void on_dateEditBirthDate_dateChanged(const QDate &date);

private:
    std::unique_ptr<Ui::AddKinsfolkDialog> ui;
    int customerId;
    bool saved = false;
};
