#pragma once

#include <QDate>
#include <QDialog>

#include <memory>

namespace Ui {
class AddHelperDialog;
}

// Entry of new recruits one after another; the form empties after each save.
class AddHelperDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddHelperDialog(QWidget *parent = nullptr);
    ~AddHelperDialog() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    // Esc closes through the same question as the window's close button.
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void on_dateEditBirthDate_dateChanged(const QDate &date);
    void on_pushButtonClose_clicked();
    void on_pushButtonSave_clicked();

private:
    void clearForm();

    std::unique_ptr<Ui::AddHelperDialog> ui;
};
