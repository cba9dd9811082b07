#pragma once

#include <QDialog>

#include <memory>

class QComboBox;

namespace Ui {
class AddPhoneSkillDialog;
}

// Fills the combo box of a script form with the two uses, none chosen.
void fillPhoneSkillTypes(QComboBox *combo);

// Enters phone scripts one after another.
class AddPhoneSkillDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddPhoneSkillDialog(QWidget *parent = nullptr);
    ~AddPhoneSkillDialog() override;

private slots:
    void on_pushButtonCancel_clicked();
    void on_pushButtonOk_clicked();

private:
    std::unique_ptr<Ui::AddPhoneSkillDialog> ui;
};
