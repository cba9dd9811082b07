#include "todayfirstphonehelpersdialog.h"
#include "ui_todayfirstphonehelpersdialog.h"

#include "widgets/messageboxes.h"
#include "calling/callhelperdialog.h"
#include "calling/todaylists.h"
#include "widgets/persontable.h"
#include "widgets/rowactivation.h"
#include "store/customermodels.h"
#include "store/helperstore.h"
#include "widgets/helperitemdelegate.h"
#include "widgets/dialer.h"

#include <QSqlTableModel>

namespace {
const QString promptTitle = QStringLiteral("提示");
}

TodayFirstPhoneHelpersDialog::TodayFirstPhoneHelpersDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TodayFirstPhoneHelpersDialog>())
{
    ui->setupUi(this);
    addDialToContextMenu(ui->tableView, ColumnPhoneNumber);
    activateRowsOnEnter(ui->tableView);
    loadDb();
    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint);
    ui->tableView->setFocus();
}

TodayFirstPhoneHelpersDialog::~TodayFirstPhoneHelpersDialog() = default;

void TodayFirstPhoneHelpersDialog::loadDb()
{
    const FirstCallList list = todayFirstCallHelpers(extraCount);
    const int quota = list.quota;

    ui->tableView->setModel(nullptr);
    delete model;
    delete delegate;

    model = loadHelpersModel(this, list.filter);
    delegate = new HelperItemDelegate(this);
    showPersonTable(ui->tableView, model, delegate, {ColumnUserType});

    if (quota > 0 && model->rowCount() < quota)
        showWarning(parentWidget(), QStringLiteral("增员名单不足."), promptTitle);
}

void TodayFirstPhoneHelpersDialog::on_pushButtonClose_clicked()
{
    close();
}

void TodayFirstPhoneHelpersDialog::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (!index.isValid() || !model)
        return;
    const int before = model->rowCount();
    {
        // Gone before the reload replaces the model it borrows.
        CallHelperDialog dialog(model, index, this);
        dialog.exec();
    }
    loadDb();
    if (before > 0 && model->rowCount() == 0 &&
        askYesNo(this, QStringLiteral("今日首次电话联系准增员已完成，需要追加准增员吗?"),
                 promptTitle)) {
        extraCount += appendStep;
        loadDb();
    }
}

void TodayFirstPhoneHelpersDialog::on_pushButtonAppend_clicked()
{
    if (!askYesNo(this, QStringLiteral("确认要追加5条今日联系的准增员吗?"), promptTitle))
        return;
    extraCount += appendStep;
    loadDb();
}
