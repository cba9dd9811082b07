#pragma once

#include "common/dateutils.h"
#include "store/helperstore.h"
#include "widgets/duplicatephone.h"
#include "widgets/fieldchecks.h"

#include <QDate>
#include <QDateEdit>
#include <QString>

#include <tuple>

// The person entry forms (prospects, recruits, team members) name their
// widgets alike; these set them up, read, fill and empty them the same way.
namespace PersonForm {

// Birth dates not given are stored as this day.
inline const QDate noBirthDate(1900, 1, 1);

// What a form holds, as typed.
struct Fields
{
    QString name;
    int sex = -1;
    QDate birthDate = noBirthDate;
    QString phone;
    QString homeAddress;
    QString homeTel;
    QString company;
    QString office;

    bool operator==(const Fields &other) const
    {
        const auto tied = [](const Fields &f) {
            return std::tie(f.name, f.sex, f.birthDate, f.phone, f.homeAddress, f.homeTel,
                            f.company, f.office);
        };
        return tied(*this) == tied(other);
    }
    bool operator!=(const Fields &other) const { return !(*this == other); }
};

template <typename Form> Fields read(const Form *ui)
{
    return {ui->lineEditName->text(),        ui->comboBoxSex->currentIndex(),
            ui->dateEditBirthDate->date(),   ui->lineEditPhone->text(),
            ui->lineEditHomeAddress->text(), ui->lineEditHomePhone->text(),
            ui->lineEditCompany->text(),     ui->lineEditOffice->text()};
}

template <typename Form> void write(Form *ui, const Fields &fields)
{
    ui->lineEditName->setText(fields.name);
    ui->comboBoxSex->setCurrentIndex(fields.sex);
    ui->dateEditBirthDate->setDate(fields.birthDate);
    ui->lineEditPhone->setText(fields.phone);
    ui->lineEditHomeAddress->setText(fields.homeAddress);
    ui->lineEditHomePhone->setText(fields.homeTel);
    ui->lineEditCompany->setText(fields.company);
    ui->lineEditOffice->setText(fields.office);
}

// Empties every field; the birth date goes back to "not given".
template <typename Form> void clear(Form *ui)
{
    write(ui, Fields());
}

// Birth dates up to today, texts no longer than the table's columns take.
template <typename Form> void limit(Form *ui, const QString &table)
{
    limitBirthDate(ui->dateEditBirthDate);
    limitToColumns(table, {{ui->lineEditName, QStringLiteral("name")},
                           {ui->lineEditPhone, QStringLiteral("phone_number")},
                           {ui->lineEditHomeAddress, QStringLiteral("home_address")},
                           {ui->lineEditHomePhone, QStringLiteral("home_tel")},
                           {ui->lineEditCompany, QStringLiteral("company_name")},
                           {ui->lineEditOffice, QStringLiteral("office")}});
}

// Both numbers must be numbers; the first that is not is reported.
template <typename Form> bool checkPhones(QWidget *dialog, Form *ui)
{
    return checkPhoneField(dialog, ui->lineEditPhone, QStringLiteral("联系电话")) &&
           checkPhoneField(dialog, ui->lineEditHomePhone, QStringLiteral("家庭电话"));
}

// The first tab, the fields limited and empty, the cursor in the name.
template <typename Form> void prepare(Form *ui, const QString &table)
{
    ui->tabWidget->setCurrentIndex(0);
    limit(ui, table);
    clear(ui);
    ui->lineEditName->setFocus();
}

// Stores the form as a recruit of the given type (1 recruit, 2 team member),
// asking first about a number someone already has; a declined number gets
// the cursor back. The store shows why a save failed; the form keeps its text.
template <typename Form>
bool saveAsHelper(QWidget *dialog, Form *ui, const QString &name, int sex,
                  const QString &birthDate, const QString &phone, int userType)
{
    const PhoneSave saved = saveCheckingPhone(
        dialog, phone, {PersonTable::Helpers, -1},
        [&] {
            return addHelper(name, sex, birthDate, phone, ui->lineEditHomeAddress->text(),
                             ui->lineEditHomePhone->text(), ui->lineEditCompany->text(),
                             ui->lineEditOffice->text(), userType);
        },
        QStringLiteral("新增增员信息出错."));
    if (saved == PhoneSave::Declined)
        ui->lineEditPhone->setFocus();
    return saved == PhoneSave::Saved;
}

} // namespace PersonForm
