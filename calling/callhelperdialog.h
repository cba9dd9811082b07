#pragma once

#include <QDate>
#include <QDialog>
#include <QModelIndex>
#include <QSet>

#include "calling/contactentry.h"

#include <memory>

class CallHelperDlgItemDelegate;
class CallHelperDlgTelLogItemDelegate;
class CallPanel;
class QDataWidgetMapper;
class QSqlQueryModel;
class QSqlTableModel;

namespace Ui {
class CallHelperDialog;
}

// The recruit twin of CallDialog: one call after another through the
// opener's recruits, with conversion to a team member and abandonment.
class CallHelperDialog : public QDialog
{
    Q_OBJECT
public:
    CallHelperDialog(QSqlQueryModel *listModel, const QModelIndex &index,
                     QWidget *parent = nullptr);
    ~CallHelperDialog() override;

    // True once any contact was saved during this run.
    bool isSaved() const { return saved; }

public slots:
    // Esc, the window's close button and "返回": a contact entered and not
    // saved is only dropped after a question.
    void reject() override;

private slots:
    void on_pushButtonToFirst_clicked();
    void on_pushButtonToLast_clicked();
    void on_pushButtonToPrev_clicked();
    void on_pushButtonToNext_clicked();
    void on_pushButtonUseless_clicked();
    void on_pushButtonSave_clicked();
    void on_pushButtonReturn_clicked();
    void on_dateEditBirthDate_dateChanged(const QDate &date);
    void currentIndexChanged(int row);
    void on_pushButtonTeammate_clicked();
    void on_listViewPhoneSkills_clicked(const QModelIndex &index);

private:
    void advance();
    // Another row, asking first when the contact entered would be lost.
    void go(RowMove move);
    int currentHelperId() const;
    // First or later contact of the recruit shown.
    int currentContactState() const;

    // After a saved wrong number: offers to abandon the person; true when done.
    bool offerAbandonWrongNumber(int id);

    std::unique_ptr<Ui::CallHelperDialog> ui;
    // Dial, talk time, outcome and quick times.
    CallPanel *callPanel = nullptr;
    QSqlQueryModel *listModel = nullptr;
    QDataWidgetMapper *mapper = nullptr;
    CallHelperDlgItemDelegate *helperDelegate = nullptr;
    QSqlTableModel *telLogModel = nullptr;
    CallHelperDlgTelLogItemDelegate *telLogDelegate = nullptr;
    QSqlTableModel *phoneSkillsModel = nullptr;
    bool saved = false;
    // Whom this run has already saved (see CallDialog).
    QSet<int> contactedInThisRun;
};
