#include "prospects/prospectfixtures.h"

#include "phonescripts/addphoneskilldialog.h"
#include "phonescripts/editphoneskilldialog.h"
#include "phonescripts/phoneskillsdialog.h"
#include "phonescripts/phoneskillsitemdelegate.h"
#include "phonescripts/phoneskilltypes.h"
#include "store/catalogstore.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlTableModel>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>

using namespace Fixtures;

namespace {
template <typename T> T *child(QWidget *dialog, const char *name)
{
    T *widget = dialog->findChild<T *>(name);
    if (!widget)
        qWarning() << "no widget" << name;
    return widget;
}

void press(QWidget *dialog, const char *button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

int scriptCount()
{
    return queryValue("SELECT count(*) FROM phoneskills").toInt();
}
} // namespace

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
        QTest::newRow("nothing") << -1 << ""
                                 << ""
                                 << "请指定话术用途"
                                 << "comboBoxType";
        QTest::newRow("no use, rest filled") << -1 << "A"
                                             << "B"
                                             << "请指定话术用途"
                                             << "comboBoxType";
        QTest::newRow("blank category") << 0 << "   "
                                        << "B"
                                        << "请输入话术类别."
                                        << "lineEditCategory";
        QTest::newRow("blank content") << 1 << "A"
                                       << " \n "
                                       << "请输入话术内容."
                                       << "textEditContent";
        QTest::newRow("saved") << 1 << " 太贵'%_ "
                               << " 先了解 "
                               << ""
                               << "lineEditCategory";
    }
    void entryValidationOrder()
    {
        QFETCH(int, type);
        QFETCH(QString, category);
        QFETCH(QString, content);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        MessageRecorder messages;
        AddPhoneSkillDialog dialog;
        auto *combo = child<QComboBox>(&dialog, "comboBoxType");
        QCOMPARE(dialog.focusWidget(), combo);
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->itemText(0), QString("营销话术"));
        QCOMPARE(combo->itemText(1), QString("增员话术"));
        combo->setCurrentIndex(type);
        typeInto(child<QLineEdit>(&dialog, "lineEditCategory"), category);
        child<QTextEdit>(&dialog, "textEditContent")->setPlainText(content);
        press(&dialog, "pushButtonOk");

        QCOMPARE(dialog.focusWidget()->objectName(), focus);
        if (!message.isEmpty()) {
            QCOMPARE(messages.texts(), QStringList{message});
            QCOMPARE(messages.last().title, QString("提示"));
            QCOMPARE(scriptCount(), 0);
            QCOMPARE(combo->currentIndex(), type);
            return;
        }
        QCOMPARE(messages.count(), 0);
        QCOMPARE(queryValue("SELECT type || '|' || category || '|' || content FROM phoneskills")
                     .toString(),
                 QString("2|太贵'%_|先了解"));
        QCOMPARE(combo->currentIndex(), -1);
        QVERIFY(child<QLineEdit>(&dialog, "lineEditCategory")->text().isEmpty());
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
        QFETCH(QString, shown);
        QVERIFY(addPhoneSkill(type, "A", "B"));
        PhoneSkillsDialog dialog;
        auto *view = child<QTableView>(&dialog, "tableView");
        QCOMPARE(view->columnWidth(1), 60);
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(qobject_cast<PhoneSkillsItemDelegate *>(view->itemDelegate()));
        QCOMPARE(PhoneSkillType::text(view->model()->index(0, 1).data().toInt()), shown);
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
        QTimer::singleShot(0, [&] {
            auto *edit = qobject_cast<EditPhoneSkillDialog *>(QApplication::activeModalWidget());
            if (!edit)
                return;
            opened = true;
            QCOMPARE(child<QLineEdit>(edit, "lineEditCategory")->text(), QString("first"));
            // Unsaved edits of the deleted script must not land on another one.
            typeInto(child<QLineEdit>(edit, "lineEditCategory"), "changed");
            press(edit, "pushButtonDelete");
        });
        // Enter on the selected row edits it, like a double click.
        view->setFocus();
        view->setCurrentIndex(view->model()->index(0, 2));
        QTest::keyClick(view, Qt::Key_Return);
        QVERIFY(opened);
        QCOMPARE(messages.count(), 0);
        QCOMPARE(
            queryValue("SELECT group_concat(type || category || content, ',') FROM phoneskills")
                .toString(),
            QString("2secondtwo,1thirdthree"));
        QCOMPARE(view->model()->rowCount(), 2);
    }

    void changedUseIsStoredAsPlainText()
    {
        QVERIFY(addPhoneSkill(1, "太贵", "先了解<b>需求</b>"));
        QVERIFY(addPhoneSkill(3, "other", "kept"));
        QSqlTableModel *model = loadPhoneSkillsModel(nullptr, QString());
        std::unique_ptr<QSqlTableModel> owner(model);
        {
            EditPhoneSkillDialog dialog(model, model->index(0, 0));
            QCOMPARE(dialog.windowTitle(), QString("编辑话术"));
            auto *combo = child<QComboBox>(&dialog, "comboBoxType");
            QCOMPARE(combo->currentIndex(), 0);
            QCOMPARE(child<QTextEdit>(&dialog, "textEditContent")->toPlainText(),
                     QString("先了解<b>需求</b>"));
            combo->setCurrentIndex(1);
            child<QTextEdit>(&dialog, "textEditContent")->setPlainText("先了解\n再谈");
            press(&dialog, "pushButtonOk");
            QCOMPARE(dialog.result(), QDialog::Accepted);
        }
        QCOMPARE(queryValue("SELECT type FROM phoneskills WHERE category = '太贵'").toInt(), 2);
        QCOMPARE(queryValue("SELECT content FROM phoneskills WHERE category = '太贵'").toString(),
                 QString("先了解\n再谈"));

        // An unknown use shows no choice and survives a save unchanged.
        model->select();
        {
            EditPhoneSkillDialog dialog(model, model->index(1, 0));
            QCOMPARE(child<QComboBox>(&dialog, "comboBoxType")->currentIndex(), -1);
            press(&dialog, "pushButtonOk");
        }
        QCOMPARE(queryValue("SELECT type FROM phoneskills WHERE category = 'other'").toInt(), 3);
    }
};

CALLLEDGER_TEST_MAIN(TestPhoneScripts, QApplication)
#include "tst_phonescripts.moc"
