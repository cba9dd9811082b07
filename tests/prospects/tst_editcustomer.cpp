#include "prospectfixtures.h"

#include "common/dateutils.h"
#include "prospects/editcustomerdialog.h"
#include "store/customerstore.h"
#include "store/nameencoding.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>

using namespace Fixtures;

namespace {

// The whole stored row as one text, to see that nothing else moved.
QString storedRow(int id)
{
    return queryValue(QString("SELECT name || '|' || sex || '|' || birth_date || '|' || "
                              "phone_number || '|' || ifnull(home_address, '') || '|' || "
                              "ifnull(home_tel, '') || '|' || ifnull(company_name, '') || '|' || "
                              "ifnull(office, '') || '|' || is_contact || '|' || user_type || "
                              "'|' || ifnull(server_customer_id, '') FROM customers WHERE id = %1")
                          .arg(id))
        .toString();
}

QString storedValue(const QString &column, int id)
{
    return queryValue(QString("SELECT %1 FROM customers WHERE id = %2").arg(column).arg(id))
        .toString();
}

template <typename T> T *child(QWidget *dialog, const char *name)
{
    return dialog->findChild<T *>(name);
}

void press(QWidget *dialog, const char *button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

int addChineseProspect()
{
    if (!addCustomer(QStringLiteral("张三"), 1, "1975-08-09", "13800000000", QStringLiteral("上海"),
                     "021-1", QStringLiteral("平安保险"), QStringLiteral("经理")))
        return -1;
    return queryValue("SELECT max(id) FROM customers").toInt();
}

} // namespace

class TestEditCustomer : public QObject
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

    void formShowsTheReadableProspect()
    {
        MessageRecorder messages;
        const int id = addChineseProspect();
        addCustomer(QStringLiteral("别人"), 0, "1990-01-01", "1", "", "", "", "");
        EditCustomerDialog dialog(id);
        QCOMPARE(dialog.windowTitle(), QString("编辑客户信息"));
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditName")->text(), QString("张三"));
        QCOMPARE(child<QComboBox>(&dialog, "comboBoxSex")->currentIndex(), 1);
        QCOMPARE(child<QComboBox>(&dialog, "comboBoxSex")->currentText(), QString("男"));
        QCOMPARE(child<QDateEdit>(&dialog, "dateEditBirthDate")->date(), QDate(1975, 8, 9));
        QCOMPARE(child<QDateEdit>(&dialog, "dateEditBirthDate")->calendarWidget()->selectedDate(),
                 QDate(1975, 8, 9));
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditAge")->text(), QString("48"));
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditPhone")->text(), QString("13800000000"));
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditHomeAddress")->text(), QString("上海"));
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditHomePhone")->text(), QString("021-1"));
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditCompany")->text(), QString("平安保险"));
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditOffice")->text(), QString("经理"));
        QCOMPARE(messages.count(), 0);
    }

    void saveStoresNewValuesEncoded()
    {
        MessageRecorder messages;
        const int id = addChineseProspect();
        const QString before = storedRow(id);
        EditCustomerDialog dialog(id);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        typeInto(child<QLineEdit>(&dialog, "lineEditName"), QStringLiteral("李四"));
        typeInto(child<QLineEdit>(&dialog, "lineEditCompany"), QStringLiteral("中国人寿"));
        child<QComboBox>(&dialog, "comboBoxSex")->setCurrentIndex(0);
        child<QDateEdit>(&dialog, "dateEditBirthDate")->setDate(QDate(1984, 2, 29));
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditAge")->text(), QString("40"));
        typeInto(child<QLineEdit>(&dialog, "lineEditOffice"), QStringLiteral("主任"));
        press(&dialog, "pushButtonSave");

        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(storedValue("name", id), encodeName("李四"));
        QCOMPARE(storedValue("company_name", id), encodeName("中国人寿"));
        QCOMPARE(storedValue("sex", id), QString("0"));
        QCOMPARE(storedValue("birth_date", id), QString("1984-02-29"));
        QCOMPARE(storedValue("office", id), QString("主任"));
        // Untouched fields keep their values.
        QCOMPARE(storedValue("phone_number", id), QString("13800000000"));
        QCOMPARE(storedValue("home_address", id), QString("上海"));
        QVERIFY(before != storedRow(id));
        QCOMPARE(messages.count(), 0);

        // Opened again, the form reads the new values.
        EditCustomerDialog again(id);
        QCOMPARE(child<QLineEdit>(&again, "lineEditName")->text(), QString("李四"));
        QCOMPARE(child<QLineEdit>(&again, "lineEditCompany")->text(), QString("中国人寿"));
    }

    void unchangedSaveKeepsTheRow()
    {
        MessageRecorder messages;
        const int chinese = addChineseProspect();
        QVERIFY(addDownloadedCustomer(QStringLiteral("下载客户"), "139", QStringLiteral("某公司"),
                                      "", "", 42));
        const int downloaded = queryValue("SELECT max(id) FROM customers").toInt();

        for (const int id : {chinese, downloaded}) {
            const QString before = storedRow(id);
            EditCustomerDialog dialog(id);
            press(&dialog, "pushButtonSave");
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(storedRow(id), before); // encoded once, not twice
        }
        EditCustomerDialog dialog(downloaded);
        QCOMPARE(child<QComboBox>(&dialog, "comboBoxSex")->currentIndex(), -1);
        QCOMPARE(storedValue("sex", downloaded), QString("-1"));
        QCOMPARE(storedValue("server_customer_id", downloaded), QString("42"));
        QCOMPARE(messages.count(), 0);
    }

    void cancelWritesNothing()
    {
        MessageRecorder messages;
        const int id = addChineseProspect();
        const QString before = storedRow(id);
        EditCustomerDialog dialog(id);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        typeInto(child<QLineEdit>(&dialog, "lineEditName"), QStringLiteral("王五"));
        child<QComboBox>(&dialog, "comboBoxSex")->setCurrentIndex(0);
        typeInto(child<QLineEdit>(&dialog, "lineEditPhone"), "000");
        child<QLineEdit>(&dialog, "lineEditOffice")->setFocus(); // the mapper takes the edits
        press(&dialog, "pushButtonCancel");
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(storedRow(id), before);
        QCOMPARE(messages.count(), 0);
    }

    void unknownIdKeepsInitialForm()
    {
        MessageRecorder messages;
        const int id = addChineseProspect();
        const QString before = storedRow(id);
        EditCustomerDialog dialog(id + 100);
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditName")->text(), QString());
        QCOMPARE(child<QComboBox>(&dialog, "comboBoxSex")->currentIndex(), -1);
        QCOMPARE(child<QDateEdit>(&dialog, "dateEditBirthDate")->date(), QDate(1900, 1, 1));
        press(&dialog, "pushButtonSave");
        QCOMPARE(storedRow(id), before);
        QCOMPARE(queryValue("SELECT count(*) FROM customers").toInt(), 1);
        QCOMPARE(messages.count(), 0);
    }

    void refusedUpdateIsReportedAndKeepsTheForm()
    {
        MessageRecorder messages;
        const int id = addChineseProspect();
        const QString before = storedRow(id);
        QVERIFY(execSql("CREATE TRIGGER refuse BEFORE UPDATE ON customers "
                        "BEGIN SELECT RAISE(ABORT, 'row is locked'); END"));
        EditCustomerDialog dialog(id);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        typeInto(child<QLineEdit>(&dialog, "lineEditName"), QStringLiteral("李四"));
        press(&dialog, "pushButtonSave");

        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().kind, MessageKind::Warning);
        QCOMPARE(messages.last().title, QString("更新客户信息出错."));
        QVERIFY2(messages.last().text.contains("row is locked"), qPrintable(messages.last().text));
        QVERIFY(dialog.isVisible());
        QCOMPARE(child<QLineEdit>(&dialog, "lineEditName")->text(), QString("李四"));
        QCOMPARE(storedRow(id), before);

        // Once the database accepts it, the same edit goes through.
        QVERIFY(execSql("DROP TRIGGER refuse"));
        press(&dialog, "pushButtonSave");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(storedValue("name", id), encodeName("李四"));
        QCOMPARE(storedValue("company_name", id), encodeName("平安保险"));
    }

private:
    std::unique_ptr<TestWorkspace> workspace;
};

CALLLEDGER_TEST_MAIN(TestEditCustomer, QApplication)
#include "tst_editcustomer.moc"
