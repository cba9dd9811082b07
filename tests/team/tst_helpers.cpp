#include "dialogtesting.h"
#include "listfixtures.h"
#include "prospectfixtures.h"

#include "prospects/addcustomerdialog.h"
#include "prospects/editcustomerdialog.h"
#include "store/customermodels.h"
#include "store/customerstore.h"
#include "store/helperstore.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "team/addhelperdialog.h"
#include "team/addteammatedialog.h"
#include "team/helperdialog.h"
#include "widgets/helperitemdelegate.h"

#include <QComboBox>
#include <QDateEdit>
#include <QTableView>

using namespace DialogTesting;
using namespace Fixtures;
using namespace ListFixtures;

namespace {
// The entry of a recruit, or of a team member when member is true.
std::unique_ptr<QDialog> entryDialog(bool member)
{
    if (member)
        return std::make_unique<AddTeammateDialog>();
    return std::make_unique<AddHelperDialog>();
}

void fillPerson(QWidget *dialog, const QString &name, int sex, const QString &phone)
{
    typeInto(edit(dialog, "lineEditName"), name);
    child<QComboBox>(dialog, "comboBoxSex")->setCurrentIndex(sex);
    typeInto(edit(dialog, "lineEditPhone"), phone);
}
} // namespace

class TestHelpers : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestWorkspace> workspace;
    std::unique_ptr<MessageRecorder> messages;

private slots:
    void init()
    {
        Clock::setFixedNow(QDateTime(QDate(2026, 3, 7), QTime(9, 5, 30)));
        workspace = std::make_unique<TestWorkspace>();
        messages = std::make_unique<MessageRecorder>();
        QVERIFY(workspace->openDatabase());
    }

    void cleanup()
    {
        QCOMPARE(messages->unexpectedQuestions(), 0);
        messages.reset();
        workspace.reset();
        Clock::setFixedNow(QDateTime());
    }

    void saveStopsAtTheFirstMissingField_data()
    {
        QTest::addColumn<bool>("member");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("sex");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        row("recruit: nothing", false, "", -1, "", "请输入增员姓名.", "lineEditName");
        row("recruit: blank name", false, "  ", 1, "139", "请输入增员姓名.", "lineEditName");
        row("recruit: no sex", false, "李四", -1, "", "请指定增员性别.", "comboBoxSex");
        row("recruit: blank phone", false, "李四", 0, "   ", "请输入增员电话信息.",
            "lineEditPhone");
        row("member: blank name", true, "  ", 1, "139", "请输入成员姓名.", "lineEditName");
        row("member: no sex", true, "张三", -1, "139", "请指定成员性别.", "comboBoxSex");
        row("member: blank phone", true, "张三", 0, " ", "请输入成员电话信息.", "lineEditPhone");
        const QString digitsOnly = "联系电话只能包含数字、空格、+、-和括号.";
        row("recruit: letters", false, "李四", 0, "138abc", digitsOnly, "lineEditPhone");
    }

    void saveStopsAtTheFirstMissingField()
    {
        QFETCH(bool, member);
        QFETCH(QString, name);
        QFETCH(int, sex);
        QFETCH(QString, phone);
        const std::unique_ptr<QDialog> dialog = entryDialog(member);
        fillPerson(dialog.get(), name, sex, phone);
        press(dialog.get(), "pushButtonSave");
        QTEST(messages->texts().join(""), "message");
        QCOMPARE(messages->last().title, QString("提示"));
        QTEST(dialog->focusWidget()->objectName(), "focus");
        QCOMPARE(queryValue("SELECT COUNT(*) FROM helpers").toInt(), 0);
        QCOMPARE(edit(dialog.get(), "lineEditName")->text(), name); // kept for correction
    }

    void saveStoresAndEmptiesTheForm_data()
    {
        QTest::addColumn<bool>("member");
        QTest::newRow("recruit") << false;
        QTest::newRow("member") << true;
    }

    void saveStoresAndEmptiesTheForm()
    {
        QFETCH(bool, member);
        const std::unique_ptr<QDialog> dialog = entryDialog(member);
        QWidget *entry = dialog.get();
        auto *birth = child<QDateEdit>(entry, "dateEditBirthDate");
        QCOMPARE(child<QComboBox>(entry, "comboBoxSex")->currentIndex(), -1);
        QCOMPARE(birth->date(), QDate(1900, 1, 1));
        QVERIFY(edit(entry, "lineEditAge")->text().isEmpty()); // no age for "not given"
        QCOMPARE(birth->maximumDate(), QDate(2026, 3, 7));     // today, children too
        for (int round = 0; round < 2; ++round) {
            fillPerson(entry, " 李四 ", 1, " 13900000000 ");
            birth->setDate(QDate(1990, 3, 8));
            QCOMPARE(edit(entry, "lineEditAge")->text(), QString("35"));
            typeInto(edit(entry, "lineEditHomeAddress"), "北京");
            // A number entered before is questioned; the agent saves anyway.
            const bool asked = round == 1;
            if (asked)
                messages->answerNext(QMessageBox::Yes);
            press(entry, "pushButtonSave");
            QCOMPARE(messages->count(), asked ? 1 : 0);
            if (asked) {
                QVERIFY(messages->last().text.contains("李四 (13900000000)"));
                QCOMPARE(messages->last().defaultButton, QMessageBox::No);
            }
            for (const char *name : {"lineEditName", "lineEditPhone", "lineEditHomeAddress"})
                QVERIFY(edit(entry, name)->text().isEmpty());
            QCOMPARE(child<QComboBox>(entry, "comboBoxSex")->currentIndex(), -1);
            QCOMPARE(birth->date(), QDate(1900, 1, 1));
            QCOMPARE(entry->focusWidget(), edit(entry, "lineEditName"));
        }
        // The same person twice is two rows; name and phone trimmed.
        QCOMPARE(
            storedRows("SELECT name, sex, phone_number, birth_date, home_address, user_type, "
                       "is_contact FROM helpers"),
            QStringList(2, QString("李四|1|13900000000|1990-03-08|北京|%1|0").arg(member ? 2 : 1)));
    }

    // Every dialog that sets a number names its holder, whatever the kind.
    void duplicateNumbersAcrossKinds_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<int>("holder"); // helpers.user_type, or 0 for a prospect
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("named"); // empty: saved without a question
        row("prospect entry, recruit", "add", 1, "139 0000 0009", "准增员 王五 (13900000009)");
        row("prospect editing, member", "edit", 2, "13900000009", "团队成员 王五 (13900000009)");
        row("prospect editing, own number", "edit", 0, "138-0000-0000", "");
        row("recruit entry, prospect", "recruit", 0, "+8613900000009", "准客户 王五 (13900000009)");
        row("member entry, recruit", "member", 1, "13900000009", "准增员 王五 (13900000009)");
    }
    void duplicateNumbersAcrossKinds()
    {
        QFETCH(QString, dialog);
        QFETCH(int, holder);
        QFETCH(QString, typed);
        QFETCH(QString, named);
        const int editedId = insertProspect(prospect("赵六")); // 13800000000
        QVERIFY(holder == 0
                    ? addCustomer("王五", 1, "1900-01-01", "13900000009", "", "", "", "")
                    : addHelper("王五", 1, "1900-01-01", "13900000009", "", "", "", "", holder));
        std::unique_ptr<QDialog> entry;
        if (dialog == "add")
            entry = std::make_unique<AddCustomerDialog>();
        else if (dialog == "edit")
            entry = std::make_unique<EditCustomerDialog>(editedId);
        else
            entry = entryDialog(dialog == "member");
        if (dialog != "edit")
            fillPerson(entry.get(), "孙七", 1, typed);
        else
            typeInto(edit(entry.get(), "lineEditPhone"), typed);
        if (!named.isEmpty())
            messages->answerNext(QMessageBox::No);
        press(entry.get(), "pushButtonSave");
        QCOMPARE(messages->texts(), named.isEmpty() ? QStringList()
                                                    : QStringList("该电话号码已经存在:\n" + named +
                                                                  "\n\n是否仍然保存?"));
        // Declined, nothing is written and the cursor is back in the number.
        QCOMPARE(
            queryValue("SELECT (SELECT count(*) FROM customers) + count(*) FROM helpers").toInt(),
            2);
        QCOMPARE(queryValue("SELECT phone_number FROM customers WHERE id = 1").toString(),
                 named.isEmpty() ? typed : QString("13800000000"));
        if (!named.isEmpty())
            QCOMPARE(entry->focusWidget(), edit(entry.get(), "lineEditPhone"));
    }

    // The look is repeated inside the write: who took the number meanwhile is asked about too.
    void numberTakenWhileAsking()
    {
        QVERIFY(addCustomer("赵六", 1, "1900-01-01", "13900000009", "", "", "", ""));
        QStringList asked;
        setMessagePresenter([&](const MessageRequest &request) {
            asked << request.text;
            if (asked.size() == 1)
                addHelper("王五", 1, "1900-01-01", "13900000009", "", "", "", "", 1);
            return asked.size() == 1 ? QMessageBox::Yes : QMessageBox::No;
        });
        AddCustomerDialog entry;
        fillPerson(&entry, "孙七", 1, "139 0000 0009");
        press(&entry, "pushButtonSave");
        messages.reset();
        messages = std::make_unique<MessageRecorder>();
        QCOMPARE(asked.size(), 2);
        QVERIFY2(asked.last().contains("准客户 赵六") && asked.last().contains("准增员 王五"),
                 qPrintable(asked.last()));
        QCOMPARE(queryValue("SELECT count(*) FROM customers").toInt(), 1);
    }

    void closingAsksOnlyForATypedName_data()
    {
        QTest::addColumn<bool>("member");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QMessageBox::StandardButton>("answer"); // NoButton: no question
        QTest::addColumn<bool>("closed");
        const auto none = QMessageBox::NoButton;
        row("recruit: empty", false, "", "window", none, true);
        row("recruit: blanks", false, "  ", "window", none, true);
        row("recruit: typed, No", false, "李四", "window", QMessageBox::No, false);
        row("recruit: typed, Yes", false, "李四", "window", QMessageBox::Yes, true);
        row("recruit: typed, Esc, No", false, "李四", "esc", QMessageBox::No, false);
        row("recruit: empty, Esc", false, "", "esc", none, true);
        row("recruit: typed, button, No", false, "李四", "button", QMessageBox::No, false);
        row("member: typed, button, No", true, "赵六", "button", QMessageBox::No, false);
        row("member: typed, Esc, Yes", true, "赵六", "esc", QMessageBox::Yes, true);
        row("member: empty, button", true, "", "button", none, true);
    }

    void closingAsksOnlyForATypedName()
    {
        QFETCH(bool, member);
        QFETCH(QString, name);
        QFETCH(QString, how);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, closed);
        const std::unique_ptr<QDialog> dialog = entryDialog(member);
        dialog->show();
        typeInto(edit(dialog.get(), "lineEditName"), name);
        if (answer != QMessageBox::NoButton)
            messages->answerNext(answer);
        if (how == "esc")
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
        else if (how == "button")
            press(dialog.get(), "pushButtonClose");
        else
            QCOMPARE(dialog->close(), closed);
        QCOMPARE(dialog->isVisible(), !closed);
        QCOMPARE(messages->count(), answer == QMessageBox::NoButton ? 0 : 1);
        if (answer != QMessageBox::NoButton) {
            QCOMPARE(messages->last().text, QString("确认要关闭当前窗口吗?"));
            QCOMPARE(messages->last().kind, MessageKind::Question);
            // A reflex Enter keeps the typed person.
            QCOMPARE(messages->last().defaultButton, QMessageBox::No);
            QCOMPARE(edit(dialog.get(), "lineEditName")->text(), closed ? QString() : name);
        }
    }

    void listShowsActiveRecruitsAndSearches()
    {
        insertRecruit("李四", 1, "北京市");
        insertRecruit("李小龙", 1, "上海");
        insertRecruit("王五", 1, "北京O'Neil");
        insertRecruit("放弃", 0);
        insertRecruit("成员", 2);
        HelperDialog dialog;
        auto *view = child<QTableView>(&dialog, "tableView");
        QVERIFY(qobject_cast<HelperItemDelegate *>(view->itemDelegate()));
        QVERIFY(view->isColumnHidden(ColumnUserType));
        QCOMPARE(columnTexts(view, ColumnName), QStringList({"李四", "李小龙", "王五"}));

        typeInto(edit(&dialog, "lineEditName"), "李");
        press(&dialog, "pushButtonSearch");
        QCOMPARE(columnTexts(view, ColumnName), QStringList({"李四", "李小龙"}));
        QCOMPARE(dialog.focusWidget(), edit(&dialog, "lineEditName"));

        edit(&dialog, "lineEditName")->clear();
        typeInto(edit(&dialog, "lineEditHomeAddress"), "O'Neil");
        press(&dialog, "pushButtonSearch");
        QCOMPARE(columnTexts(view, ColumnName), QStringList({"王五"}));
        QCOMPARE(messages->count(), 0);
    }

    void listReloadsAfterTheEntryAndTheCall()
    {
        insertRecruit("李四", 1);
        HelperDialog dialog;
        auto *view = child<QTableView>(&dialog, "tableView");
        QCOMPARE(view->model()->rowCount(), 1);

        onNextModal([](QWidget *entry) {
            QVERIFY(qobject_cast<AddHelperDialog *>(entry));
            fillPerson(entry, "新人", 1, "138");
            press(entry, "pushButtonSave");
            press(entry, "pushButtonClose");
        });
        press(&dialog, "pushButtonAdd");
        QCOMPARE(columnTexts(view, ColumnName), QStringList({"李四", "新人"}));

        // Turned into a team member while the call dialog runs: gone afterwards.
        onNextModal([](QWidget *call) {
            QCOMPARE(call->metaObject()->className(), "CallHelperDialog");
            QVERIFY(execSql("UPDATE helpers SET user_type = 2 WHERE name = '李四'"));
            leaveCall(call);
        });
        doubleClickRow(view, 0);
        QCOMPARE(columnTexts(view, ColumnName), QStringList({"新人"}));
    }
};

CALLLEDGER_TEST_MAIN(TestHelpers, QApplication)
#include "tst_helpers.moc"
