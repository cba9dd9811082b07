#pragma once

#include "widgets/unsavedinput.h"

#include <QDialog>

#include <memory>

namespace Ui {
class AddProductDialog;
}

// Enters products one after another; closing is the only way out. Given a
// stored product, the same form changes it and closes when saved. Closing
// with input not saved asks first.
class AddProductDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddProductDialog(QWidget *parent = nullptr);
    AddProductDialog(QWidget *parent, const QString &code, const QString &name,
                     const QString &introduce);
    ~AddProductDialog() override;

public slots:
    void reject() override;

private slots:
    void on_pushButtonOk_clicked();
    void on_pushButtonCancel_clicked();

private:
    std::unique_ptr<Ui::AddProductDialog> ui;
    // The code of the product being changed; empty when entering new ones.
    QString editedCode;
    UnsavedInput input;
};
