#include "prospects/prospectfixtures.h"
#include "team/dialogtesting.h"

#include "phonescripts/addphoneskilldialog.h"
#include "phonescripts/editphoneskilldialog.h"
#include "phonescripts/phoneskillsdialog.h"
#include "phonescripts/phoneskillsitemdelegate.h"
#include "phonescripts/phoneskilltypes.h"
#include "store/catalogstore.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QComboBox>
#include <QHeaderView>
#include <QSqlTableModel>
#include <QTableView>
#include <QTextEdit>

using namespace DialogTesting;
using Fixtures::typeInto;

class TestPhoneScripts : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestWorkspace> workspace;

private slots:
    void init()
    {
        workspace = std::make_unique<TestWorkspace>();
        QVERIFY(workspace->openDatabase());
        // Start from a known library rather than the seeded scripts.
        QVERIFY(execSql("DELETE FROM phoneskills"));
    }
    void cleanup() { workspace.reset(); }

    void entryValidationOrder_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        row("nothing", -1, "", "", "请指定话术用途", "comboBoxType");
        row("no use, rest filled", -1, "A", "B", "请指定话术用途", "comboBoxType");
        row("blank category", 0, "   ", "B", "请输入话术类别.", "lineEditCategory");
        row("blank content", 1, "A", " \n ", "请输入话术内容.", "textEditContent");
        row("saved", 1, " 太贵'%_ ", " 先了解 ", "", "lineEditCategory");
    }
    void entryValidationOrder()
    {
        QFETCH(int, type);
        QFETCH(QString, message);
        MessageRecorder messages;
        AddPhoneSkillDialog dialog;
        auto *combo = child<QComboBox>(&dialog, "comboBoxType");
        QCOMPARE(dialog.focusWidget(), combo);
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->itemText(0) + combo->itemText(1), QString("营销话术增员话术"));
        combo->setCurrentIndex(type);
        QFETCH(QString, category);
        QFETCH(QString, content);
        typeInto(edit(&dialog, "lineEditCategory"), category);
        child<QTextEdit>(&dialog, "textEditContent")->setPlainText(content);
        press(&dialog, "pushButtonOk");

        QTEST(dialog.focusWidget()->objectName(), "focus");
        if (!message.isEmpty()) {
            QCOMPARE(messages.texts(), QStringList{message});
            QCOMPARE(messages.last().title, QString("提示"));
            QCOMPARE(queryValue("SELECT count(*) FROM phoneskills").toInt(), 0);
            QCOMPARE(combo->currentIndex(), type);
            return;
        }
        QCOMPARE(messages.count(), 0);
        QCOMPARE(storedRows("SELECT type, category, content FROM phoneskills"),
                 QStringList("2|太贵'%_|先了解"));
        QCOMPARE(combo->currentIndex(), -1);
        QVERIFY(edit(&dialog, "lineEditCategory")->text().isEmpty());
        QVERIFY(child<QTextEdit>(&dialog, "textEditContent")->toPlainText().isEmpty());
    }

    void useColumnShowsWords_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("shown");
        QTest::newRow("marketing") << 1 << "营销话术";
        QTest::newRow("recruiting") << 2 << "增员话术";
        QTest::newRow("unexpected") << 3 << "3";
    }
    void useColumnShowsWords()
    {
        QFETCH(int, type);
        QVERIFY(addPhoneSkill(type, "A", "B"));
        PhoneSkillsDialog dialog;
        auto *view = child<QTableView>(&dialog, "tableView");
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(qobject_cast<PhoneSkillsItemDelegate *>(view->itemDelegate()));
        QTEST(PhoneSkillType::text(view->model()->index(0, 1).data().toInt()), "shown");
    }

    // A script's long text is cut short so that its column's header stays in view.
    void contentHeaderStaysInView()
    {
        QVERIFY(addPhoneSkill(1, "A", QString(400, u'长')));
        PhoneSkillsDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QHeaderView *header = child<QTableView>(&dialog, "tableView")->horizontalHeader();
        QVERIFY(header->sectionViewportPosition(3) + header->sectionSize(3) <=
                header->viewport()->width());
    }

    void deleteWithoutAQuestion()
    {
        QVERIFY(addPhoneSkill(1, "first", "one"));
        QVERIFY(addPhoneSkill(2, "second", "two"));
        QVERIFY(addPhoneSkill(1, "third", "three"));
        MessageRecorder messages;
        PhoneSkillsDialog dialog;
        dialog.show();
        auto *view = child<QTableView>(&dialog, "tableView");
        bool opened = false;
        whenModal([&](QWidget *editor) {
            opened = qobject_cast<EditPhoneSkillDialog *>(editor);
            QCOMPARE(edit(editor, "lineEditCategory")->text(), QString("first"));
            // Unsaved edits of the deleted script must not land on another one.
            typeInto(edit(editor, "lineEditCategory"), "changed");
            press(editor, "pushButtonDelete");
        });
        // Enter on the selected row edits it, like a double click.
        view->setFocus();
        view->setCurrentIndex(view->model()->index(0, 2));
        QTest::keyClick(view, Qt::Key_Return);
        QVERIFY(opened);
        QCOMPARE(messages.count(), 0);
        QCOMPARE(storedRows("SELECT type, category, content FROM phoneskills ORDER BY id"),
                 QStringList({"2|second|two", "1|third|three"}));
        QCOMPARE(view->model()->rowCount(), 2);
    }

    void changedUseIsStoredAsPlainText()
    {
        QVERIFY(addPhoneSkill(1, "太贵", "先了解<b>需求</b>"));
        QVERIFY(addPhoneSkill(3, "other", "kept"));
        std::unique_ptr<QSqlTableModel> model(loadPhoneSkillsModel(nullptr, QString()));
        {
            EditPhoneSkillDialog dialog(model.get(), model->index(0, 0));
            auto *combo = child<QComboBox>(&dialog, "comboBoxType");
            auto *content = child<QTextEdit>(&dialog, "textEditContent");
            QCOMPARE(combo->currentIndex(), 0);
            QCOMPARE(content->toPlainText(), QString("先了解<b>需求</b>"));
            combo->setCurrentIndex(1);
            content->setPlainText("先了解\n再谈");
            press(&dialog, "pushButtonOk");
            QCOMPARE(dialog.result(), QDialog::Accepted);
        }
        // An unknown use shows no choice and survives a save unchanged.
        model->select();
        {
            EditPhoneSkillDialog dialog(model.get(), model->index(1, 0));
            QCOMPARE(child<QComboBox>(&dialog, "comboBoxType")->currentIndex(), -1);
            press(&dialog, "pushButtonOk");
        }
        QCOMPARE(storedRows("SELECT type, content FROM phoneskills ORDER BY id"),
                 QStringList({"2|先了解\n再谈", "3|kept"}));
    }
};

CALLLEDGER_TEST_MAIN(TestPhoneScripts, QApplication)
#include "tst_phonescripts.moc"
