#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class SystemSetDialog;
}

// Edits the global settings; OK stores them at once, Cancel leaves them alone.
class SystemSetDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SystemSetDialog(QWidget *parent = nullptr);
    ~SystemSetDialog() override;

private slots:
    void on_pushButtonOk_clicked();
    void on_pushButtonCancel_clicked();

private:
    void addTeamServerButton();

    std::unique_ptr<Ui::SystemSetDialog> ui;
};
