#include "dialogtesting.h"
#include "listfixtures.h"
#include "prospectfixtures.h"

#include "store/customermodels.h"
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
        for (int round = 0; round < 2; ++round) {
            fillPerson(entry, " 李四 ", 1, " 13900000000 ");
            birth->setDate(QDate(1990, 3, 8));
            QCOMPARE(edit(entry, "lineEditAge")->text(), QString("35"));
            typeInto(edit(entry, "lineEditHomeAddress"), "北京");
            // A recruit's number entered before is questioned; the agent saves anyway.
            const bool asked = round == 1 && !member;
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
