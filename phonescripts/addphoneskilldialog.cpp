#include "addphoneskilldialog.h"
#include "ui_addphoneskilldialog.h"

#include "widgets/fieldchecks.h"

#include "widgets/messageboxes.h"
#include "store/catalogstore.h"

namespace {
const QString promptTitle = QStringLiteral("提示");
}

void fillPhoneSkillTypes(QComboBox *combo)
{
    combo->addItem(QObject::tr("营销话术"));
    combo->addItem(QObject::tr("增员话术"));
    combo->setCurrentIndex(-1);
}

AddPhoneSkillDialog::AddPhoneSkillDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::AddPhoneSkillDialog>())
{
    ui->setupUi(this);
    fillPhoneSkillTypes(ui->comboBoxType);
    limitToColumns(QStringLiteral("phoneskills"),
                   {{ui->lineEditCategory, QStringLiteral("category")}});
    ui->comboBoxType->setFocus();
}

AddPhoneSkillDialog::~AddPhoneSkillDialog() = default;

void AddPhoneSkillDialog::on_pushButtonCancel_clicked()
{
    close();
}

void AddPhoneSkillDialog::on_pushButtonOk_clicked()
{
    if (ui->comboBoxType->currentIndex() == -1) {
        ui->comboBoxType->setFocus();
        showWarning(this, QStringLiteral("请指定话术用途"), promptTitle);
        return;
    }
    const int type = ui->comboBoxType->currentIndex() + 1;
    const QString category = ui->lineEditCategory->text().trimmed();
    const QString content = ui->textEditContent->toPlainText().trimmed();
    if (category.isEmpty()) {
        ui->lineEditCategory->setFocus();
        showWarning(this, QStringLiteral("请输入话术类别."), promptTitle);
        return;
    }
    if (content.isEmpty()) {
        ui->textEditContent->setFocus();
        showWarning(this, QStringLiteral("请输入话术内容."), promptTitle);
        return;
    }
    // On failure the store has shown why; the inputs stay.
    if (!addPhoneSkill(type, category, content))
        return;

    ui->comboBoxType->setCurrentIndex(-1);
    ui->lineEditCategory->clear();
    ui->textEditContent->clear();
    ui->lineEditCategory->setFocus();
}
