#include "prospectfixtures.h"

#include "common/dateutils.h"
#include "prospects/addcustomerdialog.h"
#include "prospects/addkinsfolkdialog.h"
#include "prospects/editcustomerdialog.h"
#include "store/nameencoding.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "widgets/kinsfolkitemdelegate.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

using namespace Fixtures;

namespace {

int prospectCount()
{
    return queryValue("SELECT count(*) FROM customers").toInt();
}

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

void fillProspect(QWidget *dialog, const QString &name, int sex, const QString &phone)
{
    typeInto(child<QLineEdit>(dialog, "lineEditName"), name);
    child<QComboBox>(dialog, "comboBoxSex")->setCurrentIndex(sex);
    typeInto(child<QLineEdit>(dialog, "lineEditPhone"), phone);
}

void switchTab(QWidget *dialog, int index)
{
    child<QTabWidget>(dialog, "tabWidget")->setCurrentIndex(index);
}

QTableView *relativesTable(QWidget *dialog)
{
    return child<QTableView>(dialog, "tableView");
}

} // namespace

class TestAddCustomer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        workspace = std::make_unique<TestWorkspace>();
        QVERIFY(workspace->openDatabase());
        Clock::setFixedNow(QDateTime(QDate(2024, 6, 15), QTime(10, 0)));
    }
    void cleanup()
    {
        Clock::setFixedNow(QDateTime());
        workspace.reset();
    }

    void opensEmptyWithAgeFor1900()
    {
        AddCustomerDialog dialog;
        QCOMPARE(dialog.windowTitle(), QString("添加准客户名单"));
        QCOMPARE(child<QTabWidget>(&dialog, "tabWidget")->currentIndex(), 0);
        QCOMPARE(child<QComboBox>(&dialog, "comboBoxSex")->currentIndex(), -1);
        QCOMPARE(child<QComboBox>(&dialog, "comboBoxSex")->itemText(0), QString("女"));
        QCOMPARE(child<QComboBox>(&dialog, "comboBoxSex")->itemText(1), QString("男"));
        auto *date = child<QDateEdit>(&dialog, "dateEditBirthDate");
        QCOMPARE(date->date(), QDate(1900, 1, 1));
        QCOMPARE(date->minimumDate(), QDate(1900, 1, 1));
        QCOMPARE(date->maximumDate(), QDate(2024, 6, 15)); // today, from the test clock
        QCOMPARE(date->displayFormat(), QString("yyyy-MM-dd"));
        QVERIFY(child<QLineEdit>(&dialog, "lineEditAge")->isReadOnly());
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditAge")->text(), QString()); // not given

        // The age follows the date, a birthday later in the year not yet reached.
        date->setDate(QDate(1990, 6, 16));
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditAge")->text(), QString("33"));
        date->setDate(QDate(1990, 6, 15));
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditAge")->text(), QString("34"));
        date->setDate(QDate(2024, 6, 16));
        QCOMPARE(date->date(), QDate(2024, 6, 15)); // held inside the range
        date->setDate(QDate(1899, 3, 1));
        QCOMPARE(date->date(), QDate(1900, 1, 1));
    }

    // Typed as an agent types a date, separators and all; the age next to it
    // is no Tab stop.
    void typedBirthDateIsTheDate()
    {
        AddCustomerDialog dialog;
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        child<QComboBox>(&dialog, "comboBoxSex")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "1985-03-15");
        QCOMPARE(child<QDateEdit>(&dialog, "dateEditBirthDate")->date(), QDate(1985, 3, 15));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(&dialog, "lineEditPhone"));
    }

    // A text stored longer than the columns now take stays whole.
    void prospectTextsHaveLimits()
    {
        const QString address(150, u'路');
        const int id = insertProspect(prospect("张三", 1, "1980-05-06", address));
        MessageRecorder messages;
        EditCustomerDialog edit(id);
        typeInto(child<QLineEdit>(&edit, "lineEditOffice"), "经理");
        press(&edit, "pushButtonSave");
        QCOMPARE(queryValue("SELECT home_address || office FROM customers").toString(),
                 address + "经理");
        QCOMPARE(messages.count(), 0);
    }

    void validationStopsAtFirstMissingField()
    {
        MessageRecorder messages;
        AddCustomerDialog dialog;

        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.texts(), QStringList({"请输入客户姓名."}));
        QCOMPARE(messages.last().kind, MessageKind::Warning);
        QCOMPARE(messages.last().title, QString("提示"));
        QCOMPARE(dialog.focusWidget(), child<QLineEdit>(&dialog, "lineEditName"));

        // A name of blanks is no name, even with the rest filled in.
        messages.clear();
        fillProspect(&dialog, "   ", -1, "");
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.texts(), QStringList({"请输入客户姓名."}));

        messages.clear();
        typeInto(child<QLineEdit>(&dialog, "lineEditName"), QStringLiteral("张三"));
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.texts(), QStringList({"请指定客户性别."}));
        QCOMPARE(dialog.focusWidget(), child<QComboBox>(&dialog, "comboBoxSex"));

        messages.clear();
        child<QComboBox>(&dialog, "comboBoxSex")->setCurrentIndex(1);
        typeInto(child<QLineEdit>(&dialog, "lineEditPhone"), "   ");
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.texts(), QStringList({"请输入客户电话信息."}));
        QCOMPARE(dialog.focusWidget(), child<QLineEdit>(&dialog, "lineEditPhone"));

        QCOMPARE(prospectCount(), 0);
        // Fields keep what was typed.
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditName")->text(), QString("张三"));
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditPhone")->text(), QString("   "));
    }

    void saveStoresTrimmedEncodedProspect()
    {
        MessageRecorder messages;
        AddCustomerDialog dialog;
        fillProspect(&dialog, QStringLiteral("  张三  "), 0, QStringLiteral(" 13800001111 "));
        typeInto(child<QLineEdit>(&dialog, "lineEditHomePhone"), " 010-1 ");
        typeInto(child<QLineEdit>(&dialog, "lineEditHomeAddress"), QStringLiteral("北京 "));
        typeInto(child<QLineEdit>(&dialog, "lineEditCompany"), QStringLiteral("平安保险"));
        typeInto(child<QLineEdit>(&dialog, "lineEditOffice"), QStringLiteral("经理"));
        press(&dialog, "pushButtonSave");

        QCOMPARE(messages.texts(), QStringList({"保存客户信息成功."}));
        QCOMPARE(messages.last().kind, MessageKind::Information);
        QCOMPARE(messages.last().title, QString("提示"));
        QCOMPARE(dialog.focusWidget(), child<QLineEdit>(&dialog, "lineEditName"));
        QCOMPARE(prospectCount(), 1);
        QCOMPARE(queryValue("SELECT name FROM customers").toString(), encodeName("张三"));
        QCOMPARE(queryValue("SELECT decode_name(company_name) FROM customers").toString(),
                 QString("平安保险"));
        QCOMPARE(queryValue("SELECT sex FROM customers").toInt(), 0);
        QCOMPARE(queryValue("SELECT birth_date FROM customers").toString(), QString("1900-01-01"));
        QCOMPARE(queryValue("SELECT phone_number FROM customers").toString(),
                 QString("13800001111"));
        QCOMPARE(queryValue("SELECT home_tel FROM customers").toString(), QString(" 010-1 "));
        QCOMPARE(queryValue("SELECT home_address FROM customers").toString(), QString("北京 "));
        QCOMPARE(queryValue("SELECT office FROM customers").toString(), QString("经理"));
        QCOMPARE(queryValue("SELECT is_contact FROM customers").toInt(), 0);
        QCOMPARE(queryValue("SELECT user_type FROM customers").toInt(), 1);
        // The form keeps its contents after a save.
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditName")->text(), QString("  张三  "));

        child<QDateEdit>(&dialog, "dateEditBirthDate")->setDate(QDate(1985, 3, 4));
        typeInto(child<QLineEdit>(&dialog, "lineEditName"), QStringLiteral("李四"));
        // The form still holds 张三's number: saving it again is confirmed.
        messages.answerNext(QMessageBox::Yes);
        press(&dialog, "pushButtonSave");
        QCOMPARE(queryValue("SELECT birth_date FROM customers WHERE id = (SELECT max(id) FROM "
                            "customers)")
                     .toString(),
                 QString("1985-03-04"));
    }

    void sameEntryIsNotSavedTwiceInARow()
    {
        MessageRecorder messages;
        AddCustomerDialog dialog;
        fillProspect(&dialog, QStringLiteral("张三"), 1, "139");
        press(&dialog, "pushButtonSave");
        messages.clear();

        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.texts(), QStringList({"该客户已添加,请输入新的客户信息."}));
        QCOMPARE(prospectCount(), 1);

        // Clearing does not forget the last name; the guard comes before the sex.
        press(&dialog, "pushButtonClear");
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditName")->text(), QString());
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditPhone")->text(), QString());
        QCOMPARE(child<QComboBox>(&dialog, "comboBoxSex")->currentIndex(), -1);
        messages.clear();
        typeInto(child<QLineEdit>(&dialog, "lineEditName"), QStringLiteral(" 张三"));
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.texts(), QStringList({"该客户已添加,请输入新的客户信息."}));
        QCOMPARE(prospectCount(), 1);

        messages.clear();
        fillProspect(&dialog, QStringLiteral("李四"), 0, "138");
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.texts(), QStringList({"保存客户信息成功."}));
        typeInto(child<QLineEdit>(&dialog, "lineEditName"), QStringLiteral("张三"));
        messages.answerNext(QMessageBox::Yes); // 李四's number, saved again on purpose
        press(&dialog, "pushButtonSave");
        QCOMPARE(prospectCount(), 3);
        QCOMPARE(messages.unexpectedQuestions(), 0);
    }

    // A change to the prospect just saved is not dropped: editing is offered.
    void changeAfterSavingOffersEditing_data()
    {
        QTest::addColumn<QString>("there"); // the button pressed in the editing dialog
        QTest::addColumn<QString>("stored");
        QTest::newRow("declined") << ""
                                  << "139";
        QTest::newRow("opened, cancelled") << "pushButtonCancel"
                                           << "139";
        QTest::newRow("opened, saved") << "pushButtonSave"
                                       << "13911112222";
    }
    void changeAfterSavingOffersEditing()
    {
        QFETCH(QString, there);
        const bool open = !there.isEmpty();
        MessageRecorder messages;
        AddCustomerDialog dialog;
        fillProspect(&dialog, QStringLiteral("张三"), 1, "139");
        press(&dialog, "pushButtonSave");
        messages.clear();
        typeInto(child<QLineEdit>(&dialog, "lineEditPhone"), "13911112222");
        messages.answerNext(open ? QMessageBox::Yes : QMessageBox::No);
        QString shownThere;
        QTimer::singleShot(0, [&] {
            if (auto *edit =
                    qobject_cast<EditCustomerDialog *>(QApplication::activeModalWidget())) {
                shownThere = child<QLineEdit>(edit, "lineEditPhone")->text();
                press(edit, qPrintable(there));
            }
        });
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.texts(), QStringList({"该客户已添加,这次的修改没有保存.\n"
                                                "是否打开已保存的客户进行编辑(编辑用户资料)?"}));
        QCOMPARE(shownThere, open ? QString("13911112222") : QString());
        QTEST(queryValue("SELECT group_concat(phone_number) FROM customers").toString(), "stored");
    }

    void escapeAsksOnlyForUnsavedInput_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("office"); // typed afterwards
        QTest::addColumn<bool>("asked");
        QTest::newRow("nothing typed") << false << "" << false;
        QTest::newRow("typed, not saved") << false << "经理" << true;
        QTest::newRow("saved") << true << "" << false;
        QTest::newRow("changed after saving") << true << "经理" << true;
    }
    void escapeAsksOnlyForUnsavedInput()
    {
        QFETCH(bool, save);
        QFETCH(QString, office);
        QFETCH(bool, asked);
        MessageRecorder messages;
        AddCustomerDialog dialog;
        dialog.show();
        if (save) {
            fillProspect(&dialog, QStringLiteral("张三"), 1, "139");
            press(&dialog, "pushButtonSave");
            messages.clear();
        }
        typeInto(child<QLineEdit>(&dialog, "lineEditOffice"), office);
        messages.answerNext(QMessageBox::No);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(messages.texts(), asked ? QStringList{"确认要关闭当前窗口吗?"} : QStringList{});
        QCOMPARE(dialog.isVisible(), asked);
    }

    void refusedInsertChangesNothing()
    {
        MessageRecorder messages;
        QVERIFY(execSql("CREATE TRIGGER refuse BEFORE INSERT ON customers "
                        "BEGIN SELECT RAISE(ABORT, 'disk says no'); END"));
        AddCustomerDialog dialog;
        fillProspect(&dialog, QStringLiteral("张三"), 1, "139");
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().title, QString("新增客户信息出错."));
        QVERIFY2(messages.last().text.contains("disk says no"), qPrintable(messages.last().text));
        press(&dialog, "pushButtonAddKinsfolk");
        QCOMPARE(messages.last().text, QString("请先新增并保存准客户信息,再添加亲属信息."));

        // The refused name was never remembered, so it can be saved once the fault is gone.
        QVERIFY(execSql("DROP TRIGGER refuse"));
        messages.clear();
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.texts(), QStringList({"保存客户信息成功."}));
        QCOMPARE(prospectCount(), 1);
    }

    void relativesNeedASavedProspect()
    {
        MessageRecorder messages;
        AddCustomerDialog dialog;
        switchTab(&dialog, 1);
        QCOMPARE(relativesTable(&dialog)->model()->rowCount(), 0);
        press(&dialog, "pushButtonAddKinsfolk");
        QCOMPARE(messages.texts(), QStringList({"请先新增并保存准客户信息,再添加亲属信息."}));
        QCOMPARE(messages.last().title, QString("提示"));

        switchTab(&dialog, 0);
        fillProspect(&dialog, QStringLiteral("张三"), 1, "139");
        press(&dialog, "pushButtonSave");
        const int customerId = queryValue("SELECT max(id) FROM customers").toInt();

        // A relative entered in the inner dialog shows up in the table.
        bool saved = false;
        QTimer::singleShot(0, [&] {
            auto *inner = qobject_cast<AddKinsfolkDialog *>(QApplication::activeModalWidget());
            if (!inner)
                return;
            typeInto(child<QLineEdit>(inner, "lineEditName"), QStringLiteral("张小三"));
            child<QComboBox>(inner, "comboBoxSex")->setCurrentIndex(1);
            typeInto(child<QLineEdit>(inner, "lineEditRelation"), QStringLiteral("儿子"));
            press(inner, "pushButtonSave");
            saved = inner->isSaved();
        });
        messages.clear();
        press(&dialog, "pushButtonAddKinsfolk");
        QVERIFY(saved);
        QCOMPARE(messages.count(), 0);
        QCOMPARE(columnTexts(relativesTable(&dialog), 3), QStringList({"张小三"}));
        // The relative's sex is painted as a word, not its code.
        QVERIFY(qobject_cast<KinsfolkItemDelegate *>(relativesTable(&dialog)->itemDelegate()));
        struct Recorder : KinsfolkItemDelegate
        {
            mutable QStringList texts;
            void drawDisplay(QPainter *, const QStyleOptionViewItem &, const QRect &,
                             const QString &text) const override
            {
                texts.append(text);
            }
        } recorder;
        QImage canvas(80, 20, QImage::Format_ARGB32);
        QPainter painter(&canvas);
        QStyleOptionViewItem option;
        option.rect = canvas.rect();
        QAbstractItemModel *relatives = relativesTable(&dialog)->model();
        recorder.paint(&painter, option, relatives->index(0, KinsfolkItemDelegate::sexColumn));
        QCOMPARE(recorder.texts, QStringList({"男"}));
        QCOMPARE(columnTexts(relativesTable(&dialog), 1),
                 QStringList({QString::number(customerId)}));

        // After clearing, adding is refused while the table still shows the old rows.
        press(&dialog, "pushButtonClear");
        press(&dialog, "pushButtonAddKinsfolk");
        QCOMPARE(messages.texts(), QStringList({"请先新增并保存准客户信息,再添加亲属信息."}));
        QCOMPARE(relativesTable(&dialog)->model()->rowCount(), 1);
        switchTab(&dialog, 1);
        QCOMPARE(relativesTable(&dialog)->model()->rowCount(), 0);

        // An inner dialog closed without saving does not reload the table.
        fillProspect(&dialog, QStringLiteral("王五"), 0, "137");
        press(&dialog, "pushButtonSave");
        QVERIFY(execSql("INSERT INTO customer_kinsfolk(customer_id, relation, name, sex, "
                        "birth_date) SELECT max(id), 'x', 'y', 0, '1900-01-01' FROM customers"));
        QTimer::singleShot(0, [&] {
            if (auto *inner = QApplication::activeModalWidget())
                inner->close();
        });
        press(&dialog, "pushButtonAddKinsfolk");
        QCOMPARE(relativesTable(&dialog)->model()->rowCount(), 0);
        switchTab(&dialog, 0);
        QCOMPARE(relativesTable(&dialog)->model()->rowCount(), 1);
    }

    void kinsfolkValidationAndSave()
    {
        MessageRecorder messages;
        const int customerId = insertProspect(prospect(QStringLiteral("张三")));
        AddKinsfolkDialog dialog(customerId);
        QCOMPARE(dialog.windowTitle(), QString("添加亲属信息"));
        QCOMPARE(child<QComboBox>(&dialog, "comboBoxSex")->currentIndex(), -1);
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditAge")->text(), QString());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        typeInto(child<QLineEdit>(&dialog, "lineEditRelation"), QStringLiteral("妻子"));
        typeInto(child<QLineEdit>(&dialog, "lineEditName"), "  ");
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.texts(), QStringList({"请输入客户姓名."}));
        QCOMPARE(dialog.focusWidget(), child<QLineEdit>(&dialog, "lineEditName"));

        messages.clear();
        typeInto(child<QLineEdit>(&dialog, "lineEditName"), QStringLiteral(" 李梅 "));
        typeInto(child<QLineEdit>(&dialog, "lineEditRelation"), "  ");
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.texts(), QStringList({"请指定客户性别."}));
        QCOMPARE(dialog.focusWidget(), child<QComboBox>(&dialog, "comboBoxSex"));

        messages.clear();
        child<QComboBox>(&dialog, "comboBoxSex")->setCurrentIndex(0);
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.texts(), QStringList({"请输入亲属关系."}));
        QCOMPARE(messages.last().title, QString("提示"));
        QCOMPARE(dialog.focusWidget(), child<QLineEdit>(&dialog, "lineEditRelation"));
        QCOMPARE(queryValue("SELECT count(*) FROM customer_kinsfolk").toInt(), 0);
        QVERIFY(!dialog.isSaved());

        messages.clear();
        typeInto(child<QLineEdit>(&dialog, "lineEditRelation"), QStringLiteral(" 妻子 "));
        typeInto(child<QLineEdit>(&dialog, "lineEditPhone"), " 136 ");
        typeInto(child<QLineEdit>(&dialog, "lineEditCompany"), QStringLiteral("人寿"));
        child<QDateEdit>(&dialog, "dateEditBirthDate")->setDate(QDate(1982, 12, 1));
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.count(), 0); // no success message
        QVERIFY(dialog.isSaved());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditName")->text(), QString());
        QCOMPARE(queryValue("SELECT customer_id || '|' || relation || '|' || name || '|' || sex || "
                            "'|' || birth_date || '|' || phone_number || '|' || company_name "
                            "FROM customer_kinsfolk")
                     .toString(),
                 QString("%1|妻子|李梅|0|1982-12-01|136|人寿").arg(customerId));
    }

private:
    std::unique_ptr<TestWorkspace> workspace;
};

CALLLEDGER_TEST_MAIN(TestAddCustomer, QApplication)
#include "tst_addcustomer.moc"
