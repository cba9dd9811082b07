#include "listfixtures.h"
#include "prospectfixtures.h"

#include "store/customermodels.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "team/addhelperdialog.h"
#include "team/helperdialog.h"
#include "team/helperitemdelegate.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

using namespace Fixtures;
using namespace ListFixtures;

namespace {
void press(QWidget *dialog, const char *button)
{
    QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
}

QLineEdit *edit(QWidget *dialog, const char *name)
{
    return dialog->findChild<QLineEdit *>(name);
}

void fillRecruit(QWidget *dialog, const QString &name, int sex, const QString &phone)
{
    typeInto(edit(dialog, "lineEditName"), name);
    dialog->findChild<QComboBox *>("comboBoxSex")->setCurrentIndex(sex);
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
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("sex");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("nothing") << "" << -1 << ""
                                 << "请输入增员姓名."
                                 << "lineEditName";
        QTest::newRow("blank name") << "  " << 1 << "139"
                                    << "请输入增员姓名."
                                    << "lineEditName";
        QTest::newRow("no sex") << "李四" << -1 << ""
                                << "请指定增员性别."
                                << "comboBoxSex";
        QTest::newRow("blank phone") << "李四" << 0 << "   "
                                     << "请输入增员电话信息."
                                     << "lineEditPhone";
    }

    void saveStopsAtTheFirstMissingField()
    {
        QFETCH(QString, name);
        QFETCH(int, sex);
        QFETCH(QString, phone);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        AddHelperDialog dialog;
        fillRecruit(&dialog, name, sex, phone);
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages->texts(), QStringList{message});
        QCOMPARE(messages->last().title, QString("提示"));
        QCOMPARE(dialog.focusWidget()->objectName(), focus);
        QCOMPARE(queryValue("SELECT COUNT(*) FROM helpers").toInt(), 0);
    }

    void saveStoresAndEmptiesTheForm()
    {
        AddHelperDialog dialog;
        QCOMPARE(dialog.windowTitle(), QString("添加准增员名单"));
        QCOMPARE(dialog.findChild<QComboBox *>("comboBoxSex")->currentIndex(), -1);
        auto *birth = dialog.findChild<QDateEdit *>("dateEditBirthDate");
        QCOMPARE(birth->date(), QDate(1900, 1, 1));
        for (int round = 0; round < 2; ++round) {
            fillRecruit(&dialog, " 李四 ", 1, " 13900000000 ");
            birth->setDate(QDate(1990, 3, 8));
            QCOMPARE(edit(&dialog, "lineEditAge")->text(), QString("35"));
            typeInto(edit(&dialog, "lineEditHomeAddress"), "北京");
            // The second time the number exists: the agent is asked and saves anyway.
            if (round == 1)
                messages->answerNext(QMessageBox::Yes);
            press(&dialog, "pushButtonSave");
            QCOMPARE(messages->count(), round);
            if (round == 1) {
                QVERIFY(messages->last().text.contains("李四 (13900000000)"));
                QCOMPARE(messages->last().defaultButton, QMessageBox::No);
            }
            QVERIFY(edit(&dialog, "lineEditName")->text().isEmpty());
            QVERIFY(edit(&dialog, "lineEditPhone")->text().isEmpty());
            QVERIFY(edit(&dialog, "lineEditHomeAddress")->text().isEmpty());
            QCOMPARE(dialog.findChild<QComboBox *>("comboBoxSex")->currentIndex(), -1);
            QCOMPARE(birth->date(), QDate(1900, 1, 1));
            QCOMPARE(dialog.focusWidget(), edit(&dialog, "lineEditName"));
        }
        // The same recruit twice is two rows; name and phone trimmed.
        QCOMPARE(queryValue("SELECT COUNT(*) FROM helpers WHERE name = '李四' AND sex = 1 AND "
                            "phone_number = '13900000000' AND birth_date = '1990-03-08' AND "
                            "home_address = '北京' AND user_type = 1 AND is_contact = 0")
                     .toInt(),
                 2);
    }

    void closingTheWindowAsksOnlyForATypedName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("escape");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::newRow("empty") << "" << false << false << 0 << true;
        QTest::newRow("blanks") << "  " << false << false << 0 << true;
        QTest::newRow("typed, No") << "李四" << false << true << int(QMessageBox::No) << false;
        QTest::newRow("typed, Yes") << "李四" << false << true << int(QMessageBox::Yes) << true;
        QTest::newRow("typed, Esc, No") << "李四" << true << true << int(QMessageBox::No) << false;
        QTest::newRow("empty, Esc") << "" << true << false << 0 << true;
    }

    void closingTheWindowAsksOnlyForATypedName()
    {
        QFETCH(QString, name);
        QFETCH(bool, escape);
        QFETCH(bool, asked);
        QFETCH(int, answer);
        QFETCH(bool, closed);
        AddHelperDialog dialog;
        dialog.show();
        typeInto(edit(&dialog, "lineEditName"), name);
        if (asked)
            messages->answerNext(QMessageBox::StandardButton(answer));
        if (escape)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            QCOMPARE(dialog.close(), closed);
        QCOMPARE(dialog.isVisible(), !closed);
        QCOMPARE(messages->count(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(messages->last().text, QString("确认要关闭当前窗口吗?"));
            QCOMPARE(messages->last().kind, MessageKind::Question);
            // A reflex Enter keeps the typed recruit.
            QCOMPARE(messages->last().defaultButton, QMessageBox::No);
            QCOMPARE(edit(&dialog, "lineEditName")->text(), closed ? QString() : name);
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
        QCOMPARE(dialog.windowTitle(), QString("准增员列表"));
        QVERIFY(dialog.windowFlags().testFlag(Qt::WindowMinMaxButtonsHint));
        auto *view = dialog.findChild<QTableView *>("tableView");
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
        auto *view = dialog.findChild<QTableView *>("tableView");
        QCOMPARE(view->model()->rowCount(), 1);

        onNextModal([](QWidget *entry) {
            QVERIFY(qobject_cast<AddHelperDialog *>(entry));
            fillRecruit(entry, "新人", 1, "138");
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
