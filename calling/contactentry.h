#pragma once

#include "app/dateutils.h"

#include <QString>

#include <optional>

class QAbstractItemDelegate;
class QAbstractItemModel;
class QDataWidgetMapper;
class QDateTimeEdit;
class QListView;
class QRadioButton;
class QTableView;
class QTextEdit;
class QWidget;

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

struct ContactEntry
{
    int contactType = PhoneWay;
    QString content;
    Seconds nextContactTime = 0;
    int nextContactType = PhoneWay;
};

// Both next-contact times start five days ahead at midnight.
void initContactWidgets(const ContactWidgets &widgets);

// Reads the contact the agent entered, checking the way, the description and
// the next contact in that order; the first missing one is reported (focus
// moved where it helps) and nothing is returned.
std::optional<ContactEntry> readContactEntry(QWidget *parent, const ContactWidgets &widgets);

// Puts a freshly loaded history on its table: ids hidden, read-only.
void showTelLogs(QTableView *view, QAbstractItemModel *model, QAbstractItemDelegate *delegate);

// Lists the scripts by their category (column 2).
void showPhoneSkills(QListView *view, QAbstractItemModel *model);
// The "content" text of a clicked script row.
QString phoneSkillText(const QModelIndex &index);

// Moves the mapper one row on, loading further rows of a lazily fetched
// model first; false when the current row is the list's last.
bool moveToNextRow(QDataWidgetMapper *mapper);
// The list's real last row, loading every remaining row first.
void moveToLastRow(QDataWidgetMapper *mapper);
