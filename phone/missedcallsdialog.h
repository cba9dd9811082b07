#pragma once

#include <QDialog>

#include <memory>

class CallBar;
class QSqlQueryModel;

namespace Ui {
class MissedCallsDialog;
}

// "未接来电": the incoming calls nobody answered and nobody has called back
// yet, newest first, each with 回拨 (through the built-in telephone) and
// the person's call dialog when the number belongs to someone. A row goes
// once its number has been called.
class MissedCallsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MissedCallsDialog(QWidget *parent = nullptr);
    ~MissedCallsDialog() override;

private slots:
    void on_pushButtonCallBack_clicked();
    void on_pushButtonPerson_clicked();
    void on_pushButtonClose_clicked();

private:
    void reload();
    void followRow();

    std::unique_ptr<Ui::MissedCallsDialog> ui;
    QSqlQueryModel *model = nullptr;
    CallBar *callBar = nullptr;
};
