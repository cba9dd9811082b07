#pragma once

#include <QDate>
#include <QDialog>
#include <QModelIndex>
#include <QSet>
#include <QString>

#include "calling/contactentry.h"
#include "store/callrecords.h"

#include <memory>

class CallDlgCustomerItemDelegate;
class CallDlgTelLogItemDelegate;
class CallPanel;
class QDataWidgetMapper;
class QSqlQueryModel;
class QSqlTableModel;

namespace Ui {
class CallDialog;
}

// Works through the opener's prospects one call at a time: shows the stored
// data, relatives and contact history of the prospect on the current row,
// records the contact just made and moves on to the next row by itself.
// The opener's model is borrowed and never changed or reloaded here.
class CallDialog : public QDialog
{
    Q_OBJECT
public:
    CallDialog(QSqlQueryModel *listModel, const QModelIndex &index, QWidget *parent = nullptr);
    ~CallDialog() override;

    // True once any contact was saved during this run.
    bool isSaved() const { return saved; }

public slots:
    // Esc, the window's close button and "返回": a contact entered and not
    // saved is only dropped after a question.
    void reject() override;

private slots:
    void on_pushButtonReturn_clicked();
    void on_pushButtonSave_clicked();
    void on_pushButtonUseless_clicked();
    void on_pushButtonBargain_clicked();
    void on_pushButtonToFirst_clicked();
    void on_pushButtonToPrev_clicked();
    void on_pushButtonToNext_clicked();
    void on_pushButtonToLast_clicked();
    void on_dateEditBirthDate_dateChanged(const QDate &date);
    void currentIndexChanged(int row);
    int getCurrentCustomerId();
    void loadKinsfolk(int row);
    void on_listViewPhoneSkills_clicked(const QModelIndex &index);

private:
    // Runs the order entry for the prospect shown, the call's contact and the
    // change to a customer stored with the order; true when all was saved.
    bool enterOrderForCurrentCustomer(ContactRecord contact);
    // Next row, or closes as accepted after the last one.
    void advance();
    // Another row, asking first when the contact entered would be lost.
    void go(RowMove move);
    int idAtRow(int row) const;
    // First or later contact of the person on the row.
    int contactStateAt(int row) const;

    // After a saved wrong number: offers to abandon the person; true when done.
    bool offerAbandonWrongNumber(int id);

    std::unique_ptr<Ui::CallDialog> ui;
    // Dial, talk time, outcome and quick times.
    CallPanel *callPanel = nullptr;
    QSqlQueryModel *listModel = nullptr;
    QDataWidgetMapper *mapper = nullptr;
    CallDlgCustomerItemDelegate *customerDelegate = nullptr;
    QSqlTableModel *telLogModel = nullptr;
    CallDlgTelLogItemDelegate *telLogDelegate = nullptr;
    QSqlTableModel *kinsfolkModel = nullptr;
    QSqlTableModel *phoneSkillsModel = nullptr;
    int currentCustomerId = -1;
    QString currentCustomerName;
    bool saved = false;
    // Whom this run has already saved: the borrowed row still says "never
    // contacted", but a second save is a later contact.
    QSet<int> contactedInThisRun;
};
