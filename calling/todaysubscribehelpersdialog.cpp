#include "todaysubscribehelpersdialog.h"
#include "ui_todaysubscribehelpersdialog.h"

#include "calling/callhelperdialog.h"
#include "calling/customercalendardelegate.h"
#include "common/dateutils.h"
#include "store/customermodels.h"
#include "store/schedulestore.h"
#include "widgets/dialer.h"
#include "widgets/helperitemdelegate.h"
#include "widgets/persontable.h"
#include "widgets/rowactivation.h"

TodaySubscribeHelpersDialog::TodaySubscribeHelpersDialog(QWidget *parent, int mode)
    : QDialog(parent), ui(std::make_unique<Ui::TodaySubscribeHelpersDialog>()), mode(mode)
{
    ui->setupUi(this);
    addDialToContextMenu(ui->tableView, ColumnPhoneNumber);
    if (mode == 1)
        setWindowTitle(QStringLiteral("今日需再次电话联系准增员"));
    else if (mode == 2)
        setWindowTitle(QStringLiteral("今日需约访准增员名单"));
    else
        setWindowTitle(QStringLiteral("今日需再次联系的准增员"));
    activateRowsOnEnter(ui->tableView);
    timeDelegate = new PromisedTimeDelegate(this);
    reload();
    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint);
    ui->tableView->setFocus();
}

TodaySubscribeHelpersDialog::~TodaySubscribeHelpersDialog() = default;

void TodaySubscribeHelpersDialog::reload()
{
    ui->tableView->setModel(nullptr);
    delete model;
    delete delegate;
    model = loadHelpersToContactModel(this, todayBeginTime(), todayEndTime(), mode);
    delegate = new HelperItemDelegate(this);
    showPersonTable(ui->tableView, model, delegate, {ColumnUserType});
    // The promised time, after the person's columns.
    ui->tableView->setItemDelegateForColumn(ColumnPromisedTime, timeDelegate);
    ui->tableView->resizeColumnToContents(ColumnPromisedTime);
}

void TodaySubscribeHelpersDialog::on_pushButtonClose_clicked()
{
    close();
}

void TodaySubscribeHelpersDialog::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (!index.isValid() || !model)
        return;
    bool saved = false;
    {
        CallHelperDialog dialog(model, index, this);
        dialog.exec();
        saved = dialog.isSaved();
    }
    // An unsaved call changed nothing, so the agent keeps the list as it was.
    if (saved)
        reload();
}
