#pragma once

#include <QDialog>

#include <memory>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

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

    // The "拨号与通话" tab: the dial link and the agent's own call outcomes.
    void setUpCallingTab();
    // False (after saying why) when the dial link cannot be used.
    bool storeCallingTab();
    QComboBox *dialWayBox = nullptr;
    QLineEdit *dialTemplateEdit = nullptr;
    QPlainTextEdit *extraOutcomesEdit = nullptr;
};
