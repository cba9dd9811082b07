#pragma once

#include <QDate>

// The recruit and team-member entry forms name their widgets alike; these
// set them up and empty them the same way.
namespace PersonForm {

// Birth dates not given are stored as this day.
inline const QDate noBirthDate(1900, 1, 1);

// Empties every field; the birth date goes back to "not given".
template <typename Form> void clear(Form *ui)
{
    ui->lineEditName->clear();
    ui->comboBoxSex->setCurrentIndex(-1);
    ui->dateEditBirthDate->setDate(noBirthDate);
    ui->lineEditPhone->clear();
    ui->lineEditHomeAddress->clear();
    ui->lineEditHomePhone->clear();
    ui->lineEditCompany->clear();
    ui->lineEditOffice->clear();
}

// The first tab, no sex chosen, birth date not given, the cursor in the name.
template <typename Form> void prepare(Form *ui)
{
    ui->tabWidget->setCurrentIndex(0);
    clear(ui);
    ui->lineEditName->setFocus();
}

} // namespace PersonForm
