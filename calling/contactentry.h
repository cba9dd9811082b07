#pragma once

#include "common/dateutils.h"
#include "store/customermodels.h"
#include "widgets/fieldchecks.h"

#include <QDataWidgetMapper>
#include <QWidget>

#include <QString>

#include <optional>

class QAbstractItemDelegate;
class QAbstractItemModel;
class QDialog;
class QDateTimeEdit;
class QListView;
class QRadioButton;
class QTableView;
class QTextEdit;

// The parts both call dialogs share: the "本次联系记录" area, the history
// table, the script list and the walk through the opener's rows.

// Ways of a contact and of the next one.
enum ContactWay
{
    PhoneWay = 1,
    VisitWay = 2,
};

// Tracking states of a saved contact.
enum ContactState
{
    FirstContact = 1,
    LaterContact = 2,
};

struct ContactWidgets
{
    QRadioButton *phoneMode;
    QRadioButton *visitMode;
    QTextEdit *content;
    QRadioButton *nextPhone;
    QDateTimeEdit *nextCall;
    QRadioButton *nextVisit;
    QDateTimeEdit *nextVisitTime;
};

// Both forms name the widgets of the contact area alike.
template <typename Form> ContactWidgets contactWidgets(Form *ui)
{
    return {ui->radioButtonPhoneMode,     ui->radioButtonVisitMode, ui->textEditPhoneContent,
            ui->radioButtonNextPhoneTime, ui->dateTimeEditNextCall, ui->radioButtonNextVisitTime,
            ui->dateTimeEditNextVisit};
}

// A read-only form over the opener's list: the person's eight fields, alike
// in both forms. Nothing is ever written back into the borrowed list.
// Paints the read-only line and date fields of a form on the window's colour,
// without spin buttons and out of the Tab order, so that they do not invite
// typing.
void showReadOnlyFields(QWidget *form);

template <typename Form>
QDataWidgetMapper *mapPersonForm(QWidget *owner, Form *ui, QAbstractItemModel *list,
                                 QAbstractItemDelegate *delegate)
{
    // A stored birthday after 2009 is shown as it is, not held at a bound.
    limitBirthDate(ui->dateEditBirthDate);
    auto *mapper = new QDataWidgetMapper(owner);
    mapper->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
    mapper->setModel(list);
    mapper->setItemDelegate(delegate);
    mapper->addMapping(ui->lineEditName, ColumnName);
    mapper->addMapping(ui->comboBoxSex, ColumnSex);
    mapper->addMapping(ui->dateEditBirthDate, ColumnBirthDate);
    mapper->addMapping(ui->lineEditPhone, ColumnPhoneNumber);
    mapper->addMapping(ui->lineEditHomeAddress, ColumnHomeAddress);
    mapper->addMapping(ui->lineEditHomeTel, ColumnHomeTel);
    mapper->addMapping(ui->lineEditCompany, ColumnCompanyName);
    mapper->addMapping(ui->lineEditOffice, ColumnOffice);
    showReadOnlyFields(owner);
    return mapper;
}

struct ContactEntry
{
    int contactType = PhoneWay;
    QString content;
    Seconds nextContactTime = 0;
    int nextContactType = PhoneWay;
};

// The area as for a person not yet called: by phone, no description, no next
// contact chosen, the next call tomorrow at 9:00, the next visit five days
// ahead at midnight.
void initContactWidgets(const ContactWidgets &widgets);
// Something typed or chosen since initContactWidgets: a description, a next
// contact chosen, or a next time changed.
bool hasContactInput(const ContactWidgets &widgets);

// Reads the contact the agent entered, checking the way, the description and
// the next contact in that order; the first missing one is reported (focus
// moved where it helps) and nothing is returned. The description may stay
// empty when the call's outcome says enough; without nextNeeded, no next
// contact chosen gives a next time of 0 (none planned). A next contact in
// the past is only kept after a question ("否" focused).
std::optional<ContactEntry> readContactEntry(QWidget *parent, const ContactWidgets &widgets,
                                             bool descriptionNeeded = true, bool nextNeeded = true);

// Restores the dialog's size and the positions of its splitters as the agent
// last left a call dialog, and keeps them when it finishes.
void rememberCallLayout(QDialog *dialog);

// Puts a freshly loaded history on its table: ids hidden, read-only.
void showTelLogs(QTableView *view, QAbstractItemModel *model, QAbstractItemDelegate *delegate);

// Lists the scripts by their category (column 2).
void showPhoneSkills(QListView *view, QAbstractItemModel *model);
// The "content" text of a clicked script row.
QString phoneSkillText(const QModelIndex &index);

enum class RowMove
{
    First,
    Previous,
    Next,
    Last,
};
// Whether the move leaves the current row (not at the list's end already).
bool rowMoves(QDataWidgetMapper *mapper, RowMove move);
void moveRow(QDataWidgetMapper *mapper, RowMove move);

// Moves the mapper one row on, loading further rows of a lazily fetched
// model first; false when the current row is the list's last.
bool moveToNextRow(QDataWidgetMapper *mapper);
// The list's real last row, loading every remaining row first.
void moveToLastRow(QDataWidgetMapper *mapper);
