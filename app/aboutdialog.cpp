#include "aboutdialog.h"
#include "ui_aboutdialog.h"

#include "app/vendorsite.h"
#include "app/version.h"

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent), ui(new Ui::AboutDialog)
{
    ui->setupUi(this);
    ui->labelVersion->setText(tr("v") + programVersionText());
    const QString site = QLatin1String(vendorSiteUrl);
    ui->label->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(site));
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::on_pushButtonClose_clicked()
{
    close();
}
