#include "prospects/prospectfixtures.h"

#include "app/appsettings.h"
#include "app/dateutils.h"
#include "calling/calldialog.h"
#include "calling/calldlgtellogitemdelegate.h"
#include "calling/callhelperdialog.h"
#include "prospects/customersdialog.h"
#include "store/catalogstore.h"
#include "store/customermodels.h"
#include "store/customerstore.h"
#include "store/helperstore.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQueryModel>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>

using namespace Fixtures;

namespace {

enum class Kind
{
    Prospect,
    Recruit
};

// Table and column names of the person kind a dialog works on.
struct Tables
{
    QString persons, logs, tracks, idColumn;
};

Tables tablesOf(Kind kind)
{
    if (kind == Kind::Prospect)
        return {"customers", "customers_tel_logs", "customers_contact_track", "customer_id"};
    return {"helpers", "helpers_tel_logs", "helpers_contact_track", "helper_id"};
}

int insertPerson(Kind kind, const QString &name, int isContact = 0)
{
    int id = -1;
    if (kind == Kind::Prospect) {
        Prospect p = prospect(name);
        p.isContact = isContact;
        id = insertProspect(p);
    } else {
        id = insertRecruit(name, 1);
        execSql(QString("UPDATE helpers SET is_contact = %1 WHERE id = %2").arg(isContact).arg(id));
    }
    return id;
}

// The active persons, as the lists that open the call dialogs show them.
QSqlQueryModel *loadList(Kind kind, QObject *parent)
{
    if (kind == Kind::Prospect)
        return loadCustomersModel(parent, "user_type = 1", 0, 0);
    return loadHelpersModel(parent, "user_type = 1");
}

std::unique_ptr<QDialog> openCall(Kind kind, QSqlQueryModel *model, int row)
{
    std::unique_ptr<QDialog> dialog;
    if (kind == Kind::Prospect)
        dialog = std::make_unique<CallDialog>(model, model->index(row, 0));
    else
        dialog = std::make_unique<CallHelperDialog>(model, model->index(row, 0));
    dialog->show();
    return dialog;
}

bool isSaved(QDialog *dialog)
{
    if (auto *call = qobject_cast<CallDialog *>(dialog))
        return call->isSaved();
    return qobject_cast<CallHelperDialog *>(dialog)->isSaved();
}

template <typename T> T *child(QWidget *dialog, const QString &name)
{
    auto *widget = dialog->findChild<T *>(name);
    if (!widget)
        qFatal("no widget %s", qPrintable(name));
    return widget;
}

void press(QWidget *dialog, const QString &button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

void describe(QWidget *dialog, const QString &text)
{
    auto *edit = child<QTextEdit>(dialog, "textEditPhoneContent");
    edit->setFocus();
    edit->selectAll();
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
}

QString shownName(QWidget *dialog)
{
    return child<QLineEdit>(dialog, "lineEditName")->text();
}

// Records one contact: way, description and next time, then "保存并继续".
void saveContact(QWidget *dialog, const QString &text = "通话顺利",
                 const QString &next = "radioButtonNextPhoneTime")
{
    describe(dialog, text);
    child<QRadioButton>(dialog, next)->click();
    press(dialog, "pushButtonSave");
}

int countRows(const QString &table, const QString &condition = "1")
{
    return queryValue(QString("SELECT count(*) FROM %1 WHERE %2").arg(table, condition)).toInt();
}

const QDateTime fixedNow(QDate(2026, 12, 7), QTime(9, 30));

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestCallDialog : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        workspace = std::make_unique<TestWorkspace>();
        QVERIFY(workspace->openDatabase());
        Clock::setFixedNow(fixedNow);
        owner = std::make_unique<QObject>();
    }
    void cleanup()
    {
        owner.reset();
        Clock::setFixedNow(QDateTime());
        workspace.reset();
    }

    void saveValidatesInOrder_data()
    {
        QTest::addColumn<bool>("wayChosen");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QString>("message");
        QTest::newRow("no way before anything") << false << ""
                                                << ""
                                                << "请指定本次联系方式.";
        QTest::newRow("no way, all else given") << false << "谈过"
                                                << "radioButtonNextPhoneTime"
                                                << "请指定本次联系方式.";
        QTest::newRow("no description before next time") << true << ""
                                                         << ""
                                                         << "请输入电话内容.";
        QTest::newRow("blanks only") << true << "  \t  "
                                     << "radioButtonNextVisitTime"
                                     << "请输入电话内容.";
        QTest::newRow("no next time") << true << "谈过"
                                      << ""
                                      << "请指定下次电话或约访时间.";
    }
    void saveValidatesInOrder()
    {
        QFETCH(bool, wayChosen);
        QFETCH(QString, text);
        QFETCH(QString, next);
        QFETCH(QString, message);
        MessageRecorder messages;
        insertPerson(Kind::Prospect, "张三");
        insertPerson(Kind::Prospect, "李四");
        auto dialog = openCall(Kind::Prospect, loadList(Kind::Prospect, owner.get()), 0);
        if (!wayChosen) {
            auto *group = child<QButtonGroup>(dialog.get(), "buttonGroup");
            group->setExclusive(false);
            child<QRadioButton>(dialog.get(), "radioButtonPhoneMode")->setChecked(false);
            group->setExclusive(true);
        }
        if (!text.isEmpty())
            describe(dialog.get(), text);
        if (!next.isEmpty())
            child<QRadioButton>(dialog.get(), next)->click();
        child<QPushButton>(dialog.get(), "pushButtonSave")->setFocus();
        press(dialog.get(), "pushButtonSave");

        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(messages.last().title, QString("提示"));
        QCOMPARE(messages.last().kind, MessageKind::Warning);
        if (message == "请输入电话内容.")
            QCOMPARE(dialog->focusWidget(), child<QTextEdit>(dialog.get(), "textEditPhoneContent"));
        QVERIFY(dialog->isVisible());
        QCOMPARE(shownName(dialog.get()), QString("张三"));
        QCOMPARE(countRows("customers_tel_logs"), 0);
        QCOMPARE(countRows("customers_contact_track"), 0);
        QCOMPARE(countRows("customers", "is_contact = 1"), 0);
        QVERIFY(!isSaved(dialog.get()));
    }

    void saveWritesContactAndCarriesChoices_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QDateTime>("nextTime");
        QTest::addColumn<int>("wayCode");
        QTest::addColumn<int>("nextCode");
        const QDateTime fiveDaysOn(QDate(2026, 12, 12), QTime(0, 0));
        QTest::newRow("phone, next call at the start value")
            << "radioButtonPhoneMode"
            << "radioButtonNextPhoneTime" << QDateTime() << 1 << 1;
        QTest::newRow("visit, next visit after 2038")
            << "radioButtonVisitMode"
            << "radioButtonNextVisitTime" << QDateTime(QDate(2040, 3, 1), QTime(10, 30)) << 2 << 2;
        QTest::newRow("phone, next visit in 2039")
            << "radioButtonPhoneMode"
            << "radioButtonNextVisitTime" << QDateTime(QDate(2039, 1, 19), QTime(3, 14)) << 1 << 2;
    }
    void saveWritesContactAndCarriesChoices()
    {
        QFETCH(QString, way);
        QFETCH(QString, next);
        QFETCH(QDateTime, nextTime);
        QFETCH(int, wayCode);
        QFETCH(int, nextCode);
        MessageRecorder messages;
        const int first = insertPerson(Kind::Prospect, "张三");
        const int second = insertPerson(Kind::Prospect, "李四");
        insertPerson(Kind::Prospect, "王五");
        auto dialog = openCall(Kind::Prospect, loadList(Kind::Prospect, owner.get()), 0);
        const QString editName =
            next == "radioButtonNextPhoneTime" ? "dateTimeEditNextCall" : "dateTimeEditNextVisit";
        auto *edit = child<QDateTimeEdit>(dialog.get(), editName);
        QCOMPARE(edit->dateTime(), QDateTime(QDate(2026, 12, 12), QTime(0, 0)));
        if (nextTime.isValid())
            edit->setDateTime(nextTime);
        const QDateTime expectedNext = edit->dateTime();

        child<QRadioButton>(dialog.get(), way)->click();
        saveContact(dialog.get(), "  第一次沟通 \n", next);
        QCOMPARE(shownName(dialog.get()), QString("李四"));
        QVERIFY(child<QTextEdit>(dialog.get(), "textEditPhoneContent")->toPlainText().isEmpty());
        QVERIFY(child<QRadioButton>(dialog.get(), way)->isChecked());
        QVERIFY(child<QRadioButton>(dialog.get(), next)->isChecked());
        QCOMPARE(edit->dateTime(), expectedNext);

        // The second prospect needs only a description.
        describe(dialog.get(), "第二次");
        press(dialog.get(), "pushButtonSave");
        QCOMPARE(messages.count(), 0);
        QVERIFY(isSaved(dialog.get()));
        const QString row = "SELECT %1 FROM customers_tel_logs WHERE customer_id = %2";
        for (const int id : {first, second}) {
            QCOMPARE(queryValue(row.arg("contact_type").arg(id)).toInt(), wayCode);
            QCOMPARE(queryValue(row.arg("next_contact_time").arg(id)).toLongLong(),
                     expectedNext.toSecsSinceEpoch());
            QCOMPARE(queryValue(row.arg("next_contact_type").arg(id)).toInt(), nextCode);
            QCOMPARE(queryValue(row.arg("add_time").arg(id)).toLongLong(),
                     fixedNow.toSecsSinceEpoch());
            QCOMPARE(countRows("customers_contact_track",
                               QString("customer_id = %1 AND contact_state = 1 AND contact_time "
                                       "= %2")
                                   .arg(id)
                                   .arg(fixedNow.toSecsSinceEpoch())),
                     1);
        }
        QCOMPARE(queryValue(row.arg("content").arg(first)).toString(), QString("第一次沟通"));
        QCOMPARE(countRows("customers", "is_contact = 1"), 2);
    }

    void closingAndAdvancing_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result"); // -1: still open
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("logs");
        QTest::newRow("save on the last row closes")
            << Kind::Prospect << 1 << "pushButtonSave" << int(QDialog::Accepted) << "" << 1;
        QTest::newRow("save before the last moves on")
            << Kind::Prospect << 0 << "pushButtonSave" << -1 << "李四" << 1;
        QTest::newRow("return closes without writing")
            << Kind::Prospect << 0 << "pushButtonReturn" << int(QDialog::Rejected) << "" << 0;
        QTest::newRow("recruit saved on the last row")
            << Kind::Recruit << 1 << "pushButtonSave" << int(QDialog::Accepted) << "" << 1;
        QTest::newRow("team member on the last row")
            << Kind::Recruit << 1 << "pushButtonTeammate" << int(QDialog::Accepted) << "" << 0;
    }
    void closingAndAdvancing()
    {
        QFETCH(Kind, kind);
        QFETCH(int, startRow);
        QFETCH(QString, button);
        QFETCH(int, result);
        QFETCH(QString, shown);
        QFETCH(int, logs);
        MessageRecorder messages;
        insertPerson(kind, "张三");
        const int last = insertPerson(kind, "李四");
        auto dialog = openCall(kind, loadList(kind, owner.get()), startRow);
        if (button == "pushButtonSave")
            describe(dialog.get(), "谈过");
        child<QRadioButton>(dialog.get(), "radioButtonNextPhoneTime")->click();
        press(dialog.get(), button);

        QCOMPARE(dialog->isVisible(), result == -1);
        if (result != -1)
            QCOMPARE(dialog->result(), result);
        else
            QCOMPARE(shownName(dialog.get()), shown);
        QCOMPARE(countRows(tablesOf(kind).logs), logs);
        if (button == "pushButtonTeammate")
            QCOMPARE(queryValue(QString("SELECT user_type FROM helpers WHERE id = %1").arg(last))
                         .toInt(),
                     2);
        QCOMPARE(messages.count(), 0);
    }

    void secondSaveInOneRunIsLaterContact_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("isContact");
        QTest::addColumn<QString>("states");
        QTest::newRow("prospect never contacted") << Kind::Prospect << 0 << "1,2";
        QTest::newRow("prospect contacted before") << Kind::Prospect << 1 << "2,2";
        QTest::newRow("recruit never contacted") << Kind::Recruit << 0 << "1,2";
    }
    void secondSaveInOneRunIsLaterContact()
    {
        QFETCH(Kind, kind);
        QFETCH(int, isContact);
        QFETCH(QString, states);
        MessageRecorder messages;
        const int id = insertPerson(kind, "张三", isContact);
        insertPerson(kind, "李四");
        insertPerson(kind, "王五");
        auto dialog = openCall(kind, loadList(kind, owner.get()), 0);
        saveContact(dialog.get());
        press(dialog.get(), "pushButtonToPrev");
        QCOMPARE(shownName(dialog.get()), QString("张三"));
        saveContact(dialog.get());

        const Tables tables = tablesOf(kind);
        QSqlQueryModel tracks;
        tracks.setQuery(QString("SELECT group_concat(contact_state) FROM (SELECT contact_state "
                                "FROM %1 WHERE %2 = %3 ORDER BY id)")
                            .arg(tables.tracks, tables.idColumn)
                            .arg(id));
        QCOMPARE(tracks.data(tracks.index(0, 0)).toString(), states);
        QCOMPARE(messages.count(), 0);
    }

    void failedWriteOfASaveWritesNothing_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("title");
        QTest::newRow("prospect log insert")
            << Kind::Prospect << "BEFORE INSERT ON customers_tel_logs"
            << "新增电话记录出错.";
        QTest::newRow("prospect tracking insert")
            << Kind::Prospect << "BEFORE INSERT ON customers_contact_track"
            << "新增联系跟踪记录出错.";
        QTest::newRow("prospect contacted flag") << Kind::Prospect << "BEFORE UPDATE ON customers"
                                                 << "更新联系标志出错.";
        QTest::newRow("recruit log insert") << Kind::Recruit << "BEFORE INSERT ON helpers_tel_logs"
                                            << "新增电话记录出错.";
    }
    void failedWriteOfASaveWritesNothing()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, trigger);
        QFETCH(QString, title);
        MessageRecorder messages;
        insertPerson(kind, "张三");
        insertPerson(kind, "李四");
        QVERIFY(execSql("CREATE TRIGGER refuse " + trigger +
                        " BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        auto dialog = openCall(kind, loadList(kind, owner.get()), 0);
        saveContact(dialog.get(), "谈过");

        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().title, title);
        QVERIFY(messages.last().text.contains("refused"));
        const Tables tables = tablesOf(kind);
        QCOMPARE(countRows(tables.logs), 0);
        QCOMPARE(countRows(tables.tracks), 0);
        QCOMPARE(countRows(tables.persons, "is_contact = 1"), 0);
        QVERIFY(!isSaved(dialog.get()));
        QVERIFY(dialog->isVisible());
        QCOMPARE(shownName(dialog.get()), QString("张三"));
        QCOMPARE(child<QTextEdit>(dialog.get(), "textEditPhoneContent")->toPlainText(),
                 QString("谈过"));
    }

    void abandonActsOnYesOnly_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("question");
        QTest::newRow("prospect, yes") << Kind::Prospect << true << "确认要放弃该客户吗?";
        QTest::newRow("prospect, no") << Kind::Prospect << false << "确认要放弃该客户吗?";
        QTest::newRow("recruit, yes") << Kind::Recruit << true << "确认要放弃该增员吗?";
    }
    void abandonActsOnYesOnly()
    {
        QFETCH(Kind, kind);
        QFETCH(bool, yes);
        QFETCH(QString, question);
        MessageRecorder messages;
        const int id = insertPerson(kind, "张三");
        insertPerson(kind, "李四");
        auto dialog = openCall(kind, loadList(kind, owner.get()), 0);
        messages.answerNext(yes ? QMessageBox::Yes : QMessageBox::No);
        press(dialog.get(), "pushButtonUseless");

        QCOMPARE(messages.texts(), QStringList{question});
        QCOMPARE(messages.last().defaultButton, QMessageBox::No);
        const QString userType = "SELECT user_type FROM %1 WHERE id = %2";
        QCOMPARE(queryValue(userType.arg(tablesOf(kind).persons).arg(id)).toInt(), yes ? 0 : 1);
        QCOMPARE(shownName(dialog.get()), yes ? QString("李四") : QString("张三"));
    }

    void enterOnAbandonQuestionKeepsProspect()
    {
        // The real box this time: a reflex Enter must answer No.
        const int id = insertPerson(Kind::Prospect, "张三");
        insertPerson(Kind::Prospect, "李四");
        auto dialog = openCall(Kind::Prospect, loadList(Kind::Prospect, owner.get()), 0);
        QString asked;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            asked = box->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        press(dialog.get(), "pushButtonUseless");

        QCOMPARE(asked, QString("确认要放弃该客户吗?"));
        QCOMPARE(
            queryValue(QString("SELECT user_type FROM customers WHERE id = %1").arg(id)).toInt(),
            1);
        QCOMPARE(shownName(dialog.get()), QString("张三"));
    }

    void historyShowsWordsAndDates_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        const qint64 at = QDateTime(QDate(2040, 1, 5), QTime(8, 7)).toSecsSinceEpoch();
        using D = CallDlgTelLogItemDelegate;
        QTest::newRow("time: date only") << int(D::LogAddTime) << QVariant(at) << "40-01-05";
        QTest::newRow("next time: date and time")
            << int(D::LogNextContactTime) << QVariant(at) << "40-01-05 08:07";
        QTest::newRow("visit") << int(D::LogContactType) << QVariant(2) << "约访";
        QTest::newRow("next by phone") << int(D::LogNextContactType) << QVariant(1) << "电话";
    }
    void historyShowsWordsAndDates()
    {
        QFETCH(int, column);
        QFETCH(QVariant, value);
        QFETCH(QString, text);
        QCOMPARE(CallDlgTelLogItemDelegate::displayText(column, value), text);
    }

    void historyAndScriptsBelongToTheDialog_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<bool>("scripts");
        QTest::newRow("prospect, scripts on") << Kind::Prospect << true;
        QTest::newRow("prospect, scripts off") << Kind::Prospect << false;
        QTest::newRow("recruit, scripts on") << Kind::Recruit << true;
    }
    void historyAndScriptsBelongToTheDialog()
    {
        QFETCH(Kind, kind);
        QFETCH(bool, scripts);
        MessageRecorder messages;
        appSettings.setTalkSkillRemind(scripts);
        const int first = insertPerson(kind, "张三");
        const int second = insertPerson(kind, "李四");
        const bool prospect = kind == Kind::Prospect;
        QVERIFY(addPhoneSkill(1, "营销", "先问候"));
        QVERIFY(addPhoneSkill(2, "增员", "谈前景"));
        for (const int id : {first, second, second}) {
            QVERIFY(prospect ? addCustomerTelLog(id, 2, "log", 0, 1, 0)
                             : addHelperTelLog(id, 2, "log", 0, 1, 0));
        }
        auto dialog = openCall(kind, loadList(kind, owner.get()), 1);
        QCOMPARE(dialog->windowTitle(), QString(prospect ? "联系客户" : "联系增员"));
        auto *history = child<QTableView>(dialog.get(), "tableViewPhoneLogs");
        QCOMPARE(history->model()->rowCount(), 2);
        QVERIFY(history->isColumnHidden(0) && history->isColumnHidden(1));

        auto *panel = child<QTabWidget>(dialog.get(), "tabWidgetPhoneSkills");
        QCOMPARE(panel->isVisible(), scripts);
        auto *list = child<QListView>(dialog.get(), "listViewPhoneSkills");
        const int type = prospect ? 1 : 2;
        QCOMPARE(list->model()->rowCount(),
                 countRows("phoneskills", QString("type = %1").arg(type)));
        QVERIFY(list->model()->rowCount() > 0);
        QCOMPARE(messages.count(), 0);
        if (!scripts)
            return;
        const QRect topScript = list->visualRect(list->model()->index(0, 2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, topScript.center());
        QCOMPARE(
            child<QTextEdit>(dialog.get(), "textEditPhoneSkill")->toPlainText(),
            queryValue(
                QString("SELECT content FROM phoneskills WHERE type = %1 ORDER BY id").arg(type))
                .toString());
    }

    void customersListOpensCallDialog_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("double click") << "double click";
        QTest::newRow("联系该用户") << "menu";
        QTest::newRow("Enter on the row") << "enter";
    }
    void customersListOpensCallDialog()
    {
        QFETCH(QString, how);
        MessageRecorder messages;
        insertPerson(Kind::Prospect, "张三");
        insertPerson(Kind::Prospect, "李四");
        CustomersDialog list;
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        auto *view = list.findChild<QTableView *>("tableView");
        QString opened;
        QTimer::singleShot(0, [&] {
            auto *call = qobject_cast<CallDialog *>(QApplication::activeModalWidget());
            if (!call) {
                if (auto *other = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                    other->reject();
                return;
            }
            opened = shownName(call);
            saveContact(call); // the last row: the dialog closes itself
        });
        if (how == "double click") {
            doubleClickRow(view, 1);
        } else {
            clickRow(view, 1);
            if (how == "menu")
                list.findChild<QAction *>("action_call_customer")->trigger();
            else
                QTest::keyClick(view, Qt::Key_Return);
        }
        QCOMPARE(opened, QString("李四"));
        QVERIFY(list.isVisible());
        // Reloaded: the list shows the contact just saved.
        QCOMPARE(view->model()->index(1, ColumnIsContact).data().toInt(), 1);
        QCOMPARE(messages.count(), 0);
    }

    void thousandRowsOpenAndMoveQuickly()
    {
        MessageRecorder messages;
        insertNumberedProspects(1000, 1);
        QVERIFY(execSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                        "100000) INSERT INTO customers_tel_logs(customer_id, add_time, "
                        "contact_type, content, next_contact_time, next_contact_type) SELECT i % "
                        "1000 + 1, i, 1, 'log', i, 1 FROM n"));
        // A lazily fetched list, as the query models of the daily lists are.
        auto *model = new QSqlCustomerQueryModel(owner.get());
        model->setQuery("SELECT * FROM customers ORDER BY id");
        QList<qint64> opening, moving;
        std::unique_ptr<QDialog> dialog;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer timer;
            timer.start();
            dialog = openCall(Kind::Prospect, model, 255);
            QCoreApplication::processEvents();
            opening.append(timer.nsecsElapsed() / 1000);
            timer.restart();
            press(dialog.get(), "pushButtonToNext");
            QCoreApplication::processEvents();
            moving.append(timer.nsecsElapsed() / 1000);
            // Row 256 lies beyond the first fetched block.
            QCOMPARE(shownName(dialog.get()), QString("客户257"));
        }
        std::sort(opening.begin(), opening.end());
        std::sort(moving.begin(), moving.end());
        qInfo("call dialog on 1000 rows (100000 logs), median: open %lld us, next %lld us",
              opening.at(2), moving.at(2));
        // The fastest run is the cost itself; the others may wait for a busy
        // machine, which must not fail the test.
        QVERIFY2(opening.first() < 50000, "opening took 50 ms or more");
        QVERIFY2(moving.first() < 50000, "moving on took 50 ms or more");

        press(dialog.get(), "pushButtonToLast");
        QCOMPARE(shownName(dialog.get()), QString("客户1000"));
        QCOMPARE(messages.count(), 0);
    }

private:
    std::unique_ptr<TestWorkspace> workspace;
    std::unique_ptr<QObject> owner;
};

CALLLEDGER_TEST_MAIN(TestCallDialog, QApplication)
#include "tst_calldialog.moc"
