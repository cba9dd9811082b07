#include "teammatedialog.h"
#include "ui_teammatedialog.h"

#include "exchange/listexportdialog.h"
#include "widgets/persontable.h"
#include "store/customermodels.h"
#include "store/helperstore.h"
#include "team/addteammatedialog.h"
#include "widgets/helperitemdelegate.h"
#include "team/teamforms.h"
#include "widgets/dialer.h"

#include <QItemSelectionModel>
#include <QSqlTableModel>

TeammateDialog::TeammateDialog(QWidget *parent, bool selectMode)
    : QDialog(parent), ui(std::make_unique<Ui::TeammateDialog>()), selectMode(selectMode)
{
    ui->setupUi(this);
    addDialToContextMenu(ui->tableView, ColumnPhoneNumber);
    TeamForms::enterActsAsDoubleClick(ui->tableView);
    reload();
}

TeammateDialog::~TeammateDialog() = default;

void TeammateDialog::reload()
{
    ui->tableView->setModel(nullptr);
    delete model;
    delete delegate;

    model = loadHelpersModel(this, QStringLiteral("user_type = 2"));
    delegate = new HelperItemDelegate(this);
    showPersonTable(ui->tableView, model, delegate, {ColumnUserType});
}

void TeammateDialog::selectRow(int row)
{
    m_selectedTeammateId = model->data(model->index(row, ColumnId)).toInt();
    m_selectedTeammateName = model->data(model->index(row, ColumnName)).toString();
}

void TeammateDialog::on_pushButtonAdd_clicked()
{
    AddTeammateDialog dialog(this);
    dialog.exec();
    reload();
}

void TeammateDialog::on_pushButtonExport_clicked()
{
    exportListInteractively(this, exportSource(ExportList::Team), QStringLiteral("团队成员"));
}

void TeammateDialog::on_pushButtonClose_clicked()
{
    // Focusing the table makes its first row current without highlighting
    // it; only a row the agent can see chosen is handed back.
    const QModelIndex current = ui->tableView->currentIndex();
    if (!current.isValid() || !ui->tableView->selectionModel()->isSelected(current)) {
        done(QDialog::Rejected);
        return;
    }
    selectRow(current.row());
    done(QDialog::Accepted);
}

void TeammateDialog::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (!selectMode || !index.isValid())
        return;
    selectRow(index.row());
    done(QDialog::Accepted);
}

void TeammateDialog::showTeammate(qint64 id)
{
    while (model->canFetchMore())
        model->fetchMore();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->data(model->index(row, ColumnId)).toLongLong() == id) {
            ui->tableView->selectRow(row);
            ui->tableView->scrollTo(model->index(row, ColumnName));
            return;
        }
    }
}
