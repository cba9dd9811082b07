#pragma once

#include <QDialog>
#include <QModelIndex>
#include <QString>

#include <memory>

class HelperItemDelegate;
class QSqlTableModel;

namespace Ui {
class TeammateDialog;
}

// The team members (recruits with user_type 2); in select mode it doubles as
// the picker of the plan, report and assessment dialogs.
class TeammateDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TeammateDialog(QWidget *parent = nullptr, bool selectMode = false);
    ~TeammateDialog() override;

    // Makes the member's row current and visible (opened from the search box).
    void showTeammate(qint64 id);

    int selectedTeammateId() const { return m_selectedTeammateId; }
    QString selectedTeammateName() const { return m_selectedTeammateName; }

private slots:
    void on_pushButtonAdd_clicked();
    void on_pushButtonExport_clicked();
    void on_pushButtonClose_clicked();
    void on_tableView_doubleClicked(const QModelIndex &index);

private:
    void reload();
    void selectRow(int row);

    std::unique_ptr<Ui::TeammateDialog> ui;
    QSqlTableModel *model = nullptr;
    HelperItemDelegate *delegate = nullptr;
    bool selectMode = false;
    int m_selectedTeammateId = -1;
    QString m_selectedTeammateName;
};
