#include "callhelperdialog.h"
#include "ui_callhelperdialog.h"

#include "common/appsettings.h"
#include "common/dateutils.h"
#include "widgets/messageboxes.h"
#include "calling/calldlgcustomeritemdelegate.h"
#include "calling/calldlgtellogitemdelegate.h"
#include "calling/callpanel.h"
#include "calling/contactentry.h"
#include "store/catalogstore.h"
#include "store/customermodels.h"
#include "store/helperstore.h"

#include <QDataWidgetMapper>
#include <QDebug>
#include <QSqlQueryModel>

CallHelperDialog::CallHelperDialog(QSqlQueryModel *listModel, const QModelIndex &index,
                                   QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::CallHelperDialog>()), listModel(listModel)
{
    ui->setupUi(this);
    ui->comboBoxSex->addItems({QStringLiteral("女"), QStringLiteral("男")});
    ui->comboBoxSex->setCurrentIndex(-1);
    if (!appSettings.talkSkillRemind())
        ui->tabWidgetPhoneSkills->hide();
    callPanel =
        new CallPanel(this, ui->lineEditPhone, ui->labelPhoneContent, contactWidgets(ui.get()));

    phoneSkillsModel = loadPhoneSkillsModel(this, QStringLiteral("type = 2"));
    showPhoneSkills(ui->listViewPhoneSkills, phoneSkillsModel);

    helperDelegate = new CallHelperDlgItemDelegate(this);
    telLogDelegate = new CallHelperDlgTelLogItemDelegate(this);

    mapper = mapPersonForm(this, ui.get(), listModel, helperDelegate);
    connect(mapper, &QDataWidgetMapper::currentIndexChanged, this,
            &CallHelperDialog::currentIndexChanged);
    mapper->setCurrentModelIndex(index);

    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint);
    // The history and the scripts take what the form leaves.
    ui->splitterPanels->setStretchFactor(1, 1);
    rememberCallLayout(this);
    ui->textEditPhoneContent->setFocus();
}

CallHelperDialog::~CallHelperDialog() = default;

int CallHelperDialog::currentHelperId() const
{
    return listModel->data(listModel->index(mapper->currentIndex(), ColumnId)).toInt();
}

int CallHelperDialog::currentContactState() const
{
    // The borrowed row still says "never contacted" after a save of this run.
    const bool contactedBefore =
        listModel->data(listModel->index(mapper->currentIndex(), ColumnIsContact)).toInt() != 0 ||
        contactedInThisRun.contains(currentHelperId());
    return contactedBefore ? LaterContact : FirstContact;
}

void CallHelperDialog::currentIndexChanged(int row)
{
    const int id = listModel->data(listModel->index(row, ColumnId)).toInt();
    ui->tableViewPhoneLogs->setModel(nullptr);
    delete telLogModel;
    telLogModel = loadCallHistoryModel(this, RecruitCalls, id);
    callPanel->reset();
    showTelLogs(ui->tableViewPhoneLogs, telLogModel, telLogDelegate);
}

void CallHelperDialog::on_dateEditBirthDate_dateChanged(const QDate &date)
{
    ui->lineEditAge->setText(ageText(date));
}

void CallHelperDialog::advance()
{
    if (!moveToNextRow(mapper))
        accept();
}

void CallHelperDialog::on_pushButtonSave_clicked()
{
    if (mapper->currentIndex() < 0) // an empty list: nobody to act on
        return;
    const std::optional<ContactEntry> entry = readContactEntry(
        this, contactWidgets(ui.get()), outcomeNeedsDescription(callPanel->outcome()));
    if (!entry)
        return;
    const CallDetails details = callPanel->takeDetails(this);

    const int id = currentHelperId();
    const int contactState = currentContactState();
    if (!recordHelperContact(id, entry->contactType, entry->content, entry->nextContactTime,
                             entry->nextContactType, nowTime(), contactState, details))
        return;

    saved = true;
    contactedInThisRun.insert(id);
    qDebug() << "contactState:" << contactState;
    // Nothing of this call may reach the next person's form.
    callPanel->reset();
    if (outcomeOffersAbandon(details.outcome))
        offerAbandonWrongNumber(id);
    advance();
    // The next person's call is described next.
    ui->textEditPhoneContent->setFocus();
}

void CallHelperDialog::on_pushButtonTeammate_clicked()
{
    if (mapper->currentIndex() < 0)
        return;
    if (!askYesNo(this, QStringLiteral("确认要把该增员转为团队成员吗?"), QStringLiteral("提示")))
        return;
    // Joining is the call's outcome: its log is stored with the change.
    std::optional<ContactRecord> contact = callPanel->takeClosingContact(this);
    if (!contact)
        return;
    contact->contactState = currentContactState();
    const int id = currentHelperId();
    if (!recordJoiningContact(id, *contact))
        return;
    saved = true;
    contactedInThisRun.insert(id);
    callPanel->reset();
    advance();
}

void CallHelperDialog::on_pushButtonUseless_clicked()
{
    if (mapper->currentIndex() < 0)
        return;
    if (!callPanel->mayDropInput(this) || !askYesNo(this, QStringLiteral("确认要放弃该增员吗?"),
                                                    QStringLiteral("提示"), QMessageBox::Warning))
        return;
    setHelperUserType(currentHelperId(), 0);
    callPanel->reset();
    advance();
}

void CallHelperDialog::reject()
{
    if (callPanel->mayDropInput(this))
        QDialog::reject();
}

void CallHelperDialog::on_pushButtonReturn_clicked()
{
    reject();
}

void CallHelperDialog::go(RowMove move)
{
    if (rowMoves(mapper, move) && callPanel->mayDropInput(this))
        moveRow(mapper, move);
}

void CallHelperDialog::on_pushButtonToFirst_clicked()
{
    go(RowMove::First);
}

void CallHelperDialog::on_pushButtonToPrev_clicked()
{
    go(RowMove::Previous);
}

void CallHelperDialog::on_pushButtonToNext_clicked()
{
    go(RowMove::Next);
}

void CallHelperDialog::on_pushButtonToLast_clicked()
{
    go(RowMove::Last);
}

void CallHelperDialog::on_listViewPhoneSkills_clicked(const QModelIndex &index)
{
    if (phoneSkillsModel)
        ui->textEditPhoneSkill->setPlainText(phoneSkillText(index));
}

bool CallHelperDialog::offerAbandonWrongNumber(int id)
{
    if (!askYesNo(this, QStringLiteral("结果为空号/错号, 要放弃该增员吗?"), QStringLiteral("提示"),
                  QMessageBox::Warning))
        return false;
    return setHelperUserType(id, 0);
}
