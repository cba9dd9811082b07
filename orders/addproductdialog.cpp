#include "addproductdialog.h"
#include "ui_addproductdialog.h"

#include "widgets/fieldchecks.h"
#include "widgets/messageboxes.h"
#include "store/catalogstore.h"

namespace {
const QString promptTitle = QStringLiteral("提示");
}

AddProductDialog::AddProductDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::AddProductDialog>())
{
    ui->setupUi(this);
    ui->tabWidget->setCurrentIndex(0);
    limitToColumns(QStringLiteral("products"), {{ui->lineEditIdentifie, QStringLiteral("id")},
                                                {ui->lineEditName, QStringLiteral("name")}});
    input.watch({ui->lineEditIdentifie, ui->lineEditName, ui->textEditIntroduce});
    ui->lineEditIdentifie->setFocus();
}

AddProductDialog::AddProductDialog(QWidget *parent, const QString &code, const QString &name,
                                   const QString &introduce)
    : AddProductDialog(parent)
{
    editedCode = code;
    setWindowTitle(QStringLiteral("修改产品"));
    ui->lineEditIdentifie->setText(code);
    ui->lineEditName->setText(name);
    ui->textEditIntroduce->setPlainText(introduce);
    ui->pushButtonOk->setText(QStringLiteral("保存"));
    input.markSaved();
}

AddProductDialog::~AddProductDialog() = default;

void AddProductDialog::on_pushButtonOk_clicked()
{
    const QString identifier = ui->lineEditIdentifie->text().trimmed();
    const QString name = ui->lineEditName->text().trimmed();
    // The introduction is stored as typed, blanks included.
    const QString introduce = ui->textEditIntroduce->toPlainText();

    if (identifier.isEmpty()) {
        ui->lineEditIdentifie->setFocus();
        showWarning(this, QStringLiteral("请输入编号."), promptTitle);
        return;
    }
    if (name.isEmpty()) {
        ui->lineEditName->setFocus();
        showWarning(this, QStringLiteral("请输入名称."), promptTitle);
        return;
    }
    if (introduce.isEmpty()) {
        ui->textEditIntroduce->setFocus();
        showWarning(this, QStringLiteral("请输入产品介绍."), promptTitle);
        return;
    }
    if (!checkLengthField(this, ui->textEditIntroduce, QStringLiteral("产品介绍"), introduce,
                          QStringLiteral("products"), QStringLiteral("introduce")))
        return;
    // On failure the store has shown why; the fields keep what was typed.
    if (!editedCode.isEmpty()) {
        if (updateProduct(editedCode, identifier, name, introduce))
            accept();
        return;
    }
    if (!addProduct(identifier, name, introduce))
        return;

    ui->lineEditIdentifie->clear();
    ui->lineEditName->clear();
    ui->textEditIntroduce->clear();
    input.markSaved();
    ui->lineEditIdentifie->setFocus();
}

void AddProductDialog::on_pushButtonCancel_clicked()
{
    close();
}

void AddProductDialog::reject()
{
    if (input.mayDrop(this))
        QDialog::reject();
}
