#include "calldialog.h"
#include "ui_calldialog.h"

#include "common/appsettings.h"
#include "common/dateutils.h"
#include "widgets/messageboxes.h"
#include "calling/calldlgcustomeritemdelegate.h"
#include "calling/calldlgtellogitemdelegate.h"
#include "calling/callpanel.h"
#include "calling/contactentry.h"
#include "orders/addcustomerorderdialog.h"
#include "widgets/dialer.h"
#include "widgets/kinsfolkitemdelegate.h"
#include "widgets/persontable.h"
#include "store/catalogstore.h"
#include "store/customerstore.h"

#include <QDataWidgetMapper>
#include <QSqlQueryModel>

CallDialog::CallDialog(QSqlQueryModel *listModel, const QModelIndex &index, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::CallDialog>()), listModel(listModel)
{
    ui->setupUi(this);
    ui->comboBoxSex->addItems({QStringLiteral("女"), QStringLiteral("男")});
    ui->comboBoxSex->setCurrentIndex(-1);
    if (!appSettings.talkSkillRemind())
        ui->tabWidgetPhoneSkills->hide();
    callPanel =
        new CallPanel(this, ui->lineEditPhone, ui->labelPhoneContent, contactWidgets(ui.get()));

    phoneSkillsModel = loadPhoneSkillsModel(this, QStringLiteral("type = 1"));
    showPhoneSkills(ui->listViewPhoneSkills, phoneSkillsModel);

    customerDelegate = new CallDlgCustomerItemDelegate(this);
    telLogDelegate = new CallDlgTelLogItemDelegate(this);
    ui->tableViewKinsfolk->setItemDelegate(new KinsfolkItemDelegate(this));
    addDialToContextMenu(ui->tableViewKinsfolk, kinsfolkPhoneColumn);

    mapper = mapPersonForm(this, ui.get(), listModel, customerDelegate);
    connect(mapper, &QDataWidgetMapper::currentIndexChanged, this,
            &CallDialog::currentIndexChanged);
    mapper->setCurrentModelIndex(index);

    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint);
    // The history and the scripts take what the form leaves.
    ui->splitterPanels->setStretchFactor(1, 1);
    rememberCallLayout(this);
    // The agent starts by describing the call just made.
    ui->textEditPhoneContent->setFocus();
}

CallDialog::~CallDialog() = default;

int CallDialog::idAtRow(int row) const
{
    return listModel->data(listModel->index(row, ColumnId)).toInt();
}

int CallDialog::contactStateAt(int row) const
{
    // The borrowed row still says "never contacted" after a save of this run.
    const bool contactedBefore =
        listModel->data(listModel->index(row, ColumnIsContact)).toInt() != 0 ||
        contactedInThisRun.contains(idAtRow(row));
    return contactedBefore ? LaterContact : FirstContact;
}

void CallDialog::currentIndexChanged(int row)
{
    ui->tableViewPhoneLogs->setModel(nullptr);
    delete telLogModel;
    telLogModel = loadCallHistoryModel(this, ProspectCalls, idAtRow(row));
    callPanel->reset();
    showTelLogs(ui->tableViewPhoneLogs, telLogModel, telLogDelegate);
    loadKinsfolk(row);
}

void CallDialog::loadKinsfolk(int row)
{
    ui->tableViewKinsfolk->setModel(nullptr);
    delete kinsfolkModel;
    kinsfolkModel =
        loadKinsfolkModel(this, QStringLiteral("customer_id = ") + QString::number(idAtRow(row)));
    ui->tableViewKinsfolk->setModel(kinsfolkModel);
    ui->tableViewKinsfolk->resizeColumnsToContents();
    limitColumnWidths(ui->tableViewKinsfolk);
    ui->tableViewKinsfolk->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->tableViewKinsfolk->hideColumn(0);
    ui->tableViewKinsfolk->hideColumn(1);
}

void CallDialog::on_dateEditBirthDate_dateChanged(const QDate &date)
{
    ui->lineEditAge->setText(ageText(date));
}

int CallDialog::getCurrentCustomerId()
{
    const int row = mapper->currentIndex();
    currentCustomerId = idAtRow(row);
    currentCustomerName = listModel->data(listModel->index(row, ColumnName)).toString();
    return currentCustomerId;
}

void CallDialog::advance()
{
    if (!moveToNextRow(mapper))
        accept();
}

void CallDialog::on_pushButtonSave_clicked()
{
    if (mapper->currentIndex() < 0) // an empty list: nobody to act on
        return;
    const std::optional<ContactEntry> entry = readContactEntry(
        this, contactWidgets(ui.get()), outcomeNeedsDescription(callPanel->outcome()));
    if (!entry)
        return;
    const CallDetails details = callPanel->takeDetails(this);

    const int row = mapper->currentIndex();
    const int id = idAtRow(row);
    if (!recordCustomerContact(id, entry->contactType, entry->content, entry->nextContactTime,
                               entry->nextContactType, nowTime(), contactStateAt(row), details))
        return;

    saved = true;
    contactedInThisRun.insert(id);
    // Nothing of this call may reach the next person's form.
    callPanel->reset();
    if (outcomeOffersAbandon(details.outcome))
        offerAbandonWrongNumber(id);
    advance();
    // The next person's call is described next.
    ui->textEditPhoneContent->setFocus();
}

bool CallDialog::enterOrderForCurrentCustomer(ContactRecord contact)
{
    AddCustomerOrderDialog dialog(this, currentCustomerId, currentCustomerName);
    const int id = currentCustomerId;
    dialog.setSaveAlongside([&contact, id] {
        // The call ends when the order is stored.
        contact.addTime = nowTime();
        return writeCustomerContact(id, contact) && setCustomerUserType(id, 2);
    });
    // Accepted only when the whole order was stored.
    return dialog.exec() == QDialog::Accepted;
}

void CallDialog::on_pushButtonBargain_clicked()
{
    const int row = mapper->currentIndex();
    if (row < 0)
        return;
    // The deal is the call's outcome: its log is stored with the order.
    std::optional<ContactRecord> contact = callPanel->takeClosingContact(this);
    if (!contact)
        return;
    contact->contactState = contactStateAt(row);
    getCurrentCustomerId();
    if (!enterOrderForCurrentCustomer(*contact))
        return;
    saved = true;
    contactedInThisRun.insert(currentCustomerId);
    callPanel->reset();
    advance();
}

void CallDialog::on_pushButtonUseless_clicked()
{
    if (mapper->currentIndex() < 0)
        return;
    if (!callPanel->mayDropInput(this) || !askYesNo(this, QStringLiteral("确认要放弃该客户吗?"),
                                                    QStringLiteral("提示"), QMessageBox::Warning))
        return;
    setCustomerUserType(getCurrentCustomerId(), 0);
    callPanel->reset();
    advance();
}

void CallDialog::reject()
{
    if (callPanel->mayDropInput(this))
        QDialog::reject();
}

void CallDialog::on_pushButtonReturn_clicked()
{
    reject();
}

void CallDialog::go(RowMove move)
{
    if (rowMoves(mapper, move) && callPanel->mayDropInput(this))
        moveRow(mapper, move);
}

void CallDialog::on_pushButtonToFirst_clicked()
{
    go(RowMove::First);
}

void CallDialog::on_pushButtonToPrev_clicked()
{
    go(RowMove::Previous);
}

void CallDialog::on_pushButtonToNext_clicked()
{
    go(RowMove::Next);
}

void CallDialog::on_pushButtonToLast_clicked()
{
    go(RowMove::Last);
}

void CallDialog::on_listViewPhoneSkills_clicked(const QModelIndex &index)
{
    if (phoneSkillsModel)
        ui->textEditPhoneSkill->setPlainText(phoneSkillText(index));
}

bool CallDialog::offerAbandonWrongNumber(int id)
{
    if (!askYesNo(this, QStringLiteral("结果为空号/错号, 要放弃该客户吗?"), QStringLiteral("提示"),
                  QMessageBox::Warning))
        return false;
    return setCustomerUserType(id, 0);
}
