#include "teamtesting.h"

#include "../prospects/prospectfixtures.h"
#include "common/dateutils.h"
#include "orders/addcustomerorderdialog.h"
#include "orders/addproductdialog.h"
#include "store/teamstore.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "team/addteammateearningreportdialog.h"
#include "team/addteammatetaskdialog.h"
#include "team/teammatedialog.h"
#include "team/teammateearningreportdialog.h"
#include "team/teammatetaskdialog.h"

#include <QDateEdit>
#include <QTableView>
#include <QTableWidget>
#include <QTextEdit>

using namespace TeamTesting;

namespace {
std::unique_ptr<QDialog> entryDialog(bool plan)
{
    if (plan)
        return std::make_unique<AddTeammateTaskDialog>();
    return std::make_unique<AddTeammateEarningReportDialog>();
}

// The first stored row of the query, as a list hands it to its edit form.
QSqlRecord firstRow(const QString &sql)
{
    QSqlQuery query(sql);
    query.next();
    return query.record();
}

// Something typed into the field, whatever kind it is.
void typeInto(QWidget *field)
{
    if (auto *line = qobject_cast<QLineEdit *>(field))
        line->setText(line->text() + "9");
    else if (auto *text = qobject_cast<QTextEdit *>(field))
        text->setPlainText("新的介绍");
    else if (auto *combo = qobject_cast<QComboBox *>(field))
        combo->setCurrentIndex(combo->currentIndex() + 1);
    else if (auto *date = qobject_cast<QDateEdit *>(field))
        date->setDate(date->date().addDays(1));
    else if (auto *table = qobject_cast<QTableWidget *>(field))
        table->setItem(0, 0, new QTableWidgetItem("P1"));
}
} // namespace

class TestTeammates : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        workspace = std::make_unique<TestWorkspace>();
        QVERIFY(workspace->openDatabase());
        Clock::setFixedNow(QDateTime(QDate(2026, 6, 10), QTime(9, 30)));
        QVERIFY(Fixtures::insertRecruit(QStringLiteral("候选人"), 1) > 0);
        first = addMember(QStringLiteral("王强"));
        second = addMember(QStringLiteral("李明"));
    }
    void cleanup()
    {
        Clock::setFixedNow(QDateTime());
        workspace.reset();
    }

    void listAndPicker_data()
    {
        QTest::addColumn<bool>("selectMode");
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<bool>("staysOpen");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("name");

        row("picker, double click", true, "double click", false, 1, "李明");
        row("picker, Enter", true, "enter", false, 1, "李明");
        row("picker, close on a row", true, "close", false, 1, "李明");
        row("picker, close on a merely focused row", true, "close, focus only", false, 0, "");
        row("picker, close without a row", true, "close, no row", false, 0, "");
        row("list, double click", false, "double click", true, 0, "");
        row("list, close on a row", false, "close", false, 1, "李明");
    }

    void listAndPicker()
    {
        QFETCH(bool, selectMode);
        QFETCH(QString, gesture);
        TeammateDialog dialog(nullptr, selectMode);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *view = child<QTableView>(&dialog, "tableView");
        QCOMPARE(Fixtures::columnTexts(view, 1), QStringList({"王强", "李明"}));
        QVERIFY(view->isColumnHidden(10));

        if (gesture == "double click")
            Fixtures::doubleClickRow(view, 1);
        else if (gesture == "enter") {
            view->setCurrentIndex(view->model()->index(1, 1));
            QTest::keyClick(view, Qt::Key_Return);
        } else if (gesture == "close, focus only") {
            // What the table does to its first row when it gets the focus.
            view->selectionModel()->setCurrentIndex(view->model()->index(0, 1),
                                                    QItemSelectionModel::NoUpdate);
            press(&dialog, "pushButtonClose");
        } else {
            view->setCurrentIndex(gesture == "close" ? view->model()->index(1, 1) : QModelIndex());
            press(&dialog, "pushButtonClose");
        }
        QTEST(dialog.isVisible(), "staysOpen");
        QTEST(dialog.result(), "result");
        QTEST(dialog.selectedTeammateName(), "name");
        QFETCH(QString, name);
        QCOMPARE(dialog.selectedTeammateId(), name.isEmpty() ? -1 : second);
    }

    void entryValidation_data()
    {
        QTest::addColumn<bool>("plan");
        QTest::addColumn<bool>("member");
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("money");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored");

        for (bool plan : {true, false}) {
            const QString kind = plan ? "plan: " : "report: ";
            const auto row = [&](const char *tag, bool member, int year, const QString &money,
                                 const QString &count, const QString &message,
                                 const QString &stored) {
                QTest::newRow(qPrintable(kind + QLatin1String(tag)))
                    << plan << member << year << money << count << message << stored;
            };
            const QString day = QString::number(GetDayBegin(QDate(2026, 6, 10)));
            const QString head = plan ? "2026|" + day + "|" : day + "|";
            row("no member", false, 2026, "5", "1", "请指定团队成员", "");
            if (plan)
                row("no year", true, 0, "5", "1", "请指定计划年份", "");
            row("empty money", true, 2026, "", "3", "请指定有效的销售额", "");
            row("lone minus", true, 2026, "-", "3", "请指定有效的销售额", "");
            row("empty count", true, 2026, "5", "", "请指定有效的增员数", "");
            row("both zero", true, 2026, "0", "0", "请指定有效的销售额或增员数", "");
            row("count only", true, 2026, "0", "3", "", head + "0|3");
            row("negative", true, 2026, "-200", "-1", "", head + "-200|-1");
            row("above 2^31", true, 2026, "5000000000", "0", "", head + "5000000000|0");
            // The fields drop what is no whole number as it is typed.
            row("letters typed", true, 2026, "1a2-b3", "x1234567890", "", head + "123|123456789");
        }
    }

    void entryValidation()
    {
        QFETCH(bool, plan);
        QFETCH(QString, message);
        MessageRecorder messages;
        std::unique_ptr<QDialog> dialog = entryDialog(plan);
        QWidget *entry = dialog.get();
        entry->show();
        QCOMPARE(entry->focusWidget()->objectName(), QString("pushButtonSelectTeammate"));
        QFETCH(bool, member);
        if (member) {
            pickMemberWhenAsked(0);
            press(entry, "pushButtonSelectTeammate");
        }
        QFETCH(int, year);
        if (plan) {
            QCOMPARE(child<QComboBox>(entry, "comboBoxYear")->count(), 40);
            chooseYear(entry, year);
        } else {
            Fixtures::typeInto(edit(entry, "lineEditMemo"), QStringLiteral("六月"));
        }
        QFETCH(QString, money);
        QFETCH(QString, count);
        QTest::keyClicks(edit(entry, "lineEditMoney"), money);
        QTest::keyClicks(edit(entry, "lineEditHelperCount"), count);
        press(entry, "pushButtonOk");

        QCOMPARE(messages.texts(), message.isEmpty() ? QStringList() : QStringList(message));
        if (message.contains("销售额"))
            QCOMPARE(entry->focusWidget(), edit(entry, "lineEditMoney"));
        if (message.contains("增员数") && !message.contains("或"))
            QCOMPARE(entry->focusWidget(), edit(entry, "lineEditHelperCount"));
        QFETCH(QString, stored);
        const QStringList actual =
            storedRows(plan ? "SELECT helper_id, year, begin_date, money, helper_count "
                              "FROM teammate_task"
                            : "SELECT helper_id, report_time, money, helper_count, memo "
                              "FROM teammate_earning_report");
        if (stored.isEmpty()) {
            QCOMPARE(actual, QStringList());
            QCOMPARE(edit(entry, "lineEditMoney")->text(), money); // kept as typed
            return;
        }
        QCOMPARE(actual,
                 QStringList(QString::number(first) + "|" + stored + (plan ? "" : "|六月")));
        // Ready for the next member; the plan's year stays chosen.
        for (const char *name : {"lineEditTeammate", "lineEditMoney", "lineEditHelperCount"})
            QCOMPARE(edit(entry, name)->text(), QString());
        if (plan)
            QCOMPARE(child<QComboBox>(entry, "comboBoxYear")->currentText(), QString("2026"));
        else
            QCOMPARE(edit(entry, "lineEditMemo")->text(), QString());
        press(entry, "pushButtonOk"); // the member is gone, not merely its name
        QCOMPARE(messages.texts(), QStringList({"请指定团队成员"}));
    }

    void refusedReportKeepsWhatWasTyped()
    {
        MessageRecorder messages;
        AddTeammateEarningReportDialog dialog;
        pickMemberWhenAsked(0);
        press(&dialog, "pushButtonSelectTeammate");
        QTest::keyClicks(edit(&dialog, "lineEditMoney"), "800");
        QTest::keyClicks(edit(&dialog, "lineEditHelperCount"), "1");
        QVERIFY(execSql("DROP TABLE teammate_earning_report"));
        press(&dialog, "pushButtonOk");
        QCOMPARE(messages.last().title, QString("新增成员业绩出错."));
        QCOMPARE(edit(&dialog, "lineEditTeammate")->text(), QString("王强"));
        QCOMPARE(edit(&dialog, "lineEditMoney")->text(), QString("800"));
    }

    void onePlanPerMemberAndYearAndTheRejectedPicker()
    {
        MessageRecorder messages;
        AddTeammateTaskDialog dialog;
        const auto enterPlan = [&](int row, int year) {
            pickMemberWhenAsked(row);
            press(&dialog, "pushButtonSelectTeammate");
            chooseYear(&dialog, year);
            QTest::keyClicks(edit(&dialog, "lineEditMoney"), "1000");
            QTest::keyClicks(edit(&dialog, "lineEditHelperCount"), "2");
            press(&dialog, "pushButtonOk");
        };
        enterPlan(0, 2026);
        enterPlan(1, 2026);
        enterPlan(0, 2026);
        QCOMPARE(messages.texts(), QStringList({"已经设定该成员的该年度工作计划"}));
        // The member stays chosen, also through a picker closed without a choice.
        pickMemberWhenAsked(-1);
        press(&dialog, "pushButtonSelectTeammate");
        chooseYear(&dialog, 2027);
        press(&dialog, "pushButtonOk");
        QCOMPARE(messages.count(), 1);
        QCOMPARE(storedRows("SELECT helper_id, year FROM teammate_task ORDER BY id"),
                 QStringList({QString("%1|2026").arg(first), QString("%1|2026").arg(second),
                              QString("%1|2027").arg(first)}));
    }

    void listsReloadAfterTheirEntry_data()
    {
        QTest::addColumn<bool>("plan");
        QTest::newRow("plans") << true;
        QTest::newRow("reports") << false;
    }

    void listsReloadAfterTheirEntry()
    {
        QFETCH(bool, plan);
        std::unique_ptr<QDialog> list;
        if (plan)
            list = std::make_unique<TeammateTaskDialog>();
        else
            list = std::make_unique<TeammateEarningReportDialog>();
        whenModal([plan](QWidget *entry) {
            pickMemberWhenAsked(1);
            press(entry, "pushButtonSelectTeammate");
            if (plan)
                chooseYear(entry, 2026);
            QTest::keyClicks(edit(entry, "lineEditMoney"), "3000000000");
            QTest::keyClicks(edit(entry, "lineEditHelperCount"), "1");
            press(entry, "pushButtonOk");
            press(entry, "pushButtonCancel");
        });
        press(list.get(), "pushButtonAdd");
        auto *view = child<QTableView>(list.get(), "tableView");
        QCOMPARE(Fixtures::columnTexts(view, 2), QStringList({"李明"}));
        QCOMPARE(Fixtures::columnTexts(view, plan ? 5 : 4), QStringList({"3000000000"}));
        QVERIFY(view->isColumnHidden(1));
    }

    // 修改 opens the row in the entry form and saves over it; 删除 asks, and
    // keeps a plan whose member reported earnings in its year, saying why.
    void listRowsChangeAndDelete_data()
    {
        QTest::addColumn<bool>("plan");
        QTest::newRow("plans") << true;
        QTest::newRow("reports") << false;
    }
    void listRowsChangeAndDelete()
    {
        QFETCH(bool, plan);
        MessageRecorder messages;
        const qint64 june = GetDayBegin(QDate(2026, 6, 1));
        QVERIFY(addTeammateTask(first, 2026, june, 1000, 1) &&
                addTeammateTask(second, 2026, june, 500, 0));
        QVERIFY(addEarningReport(first, june, 300, 0, "六月") &&
                addEarningReport(second, GetDayBegin(QDate(2025, 6, 1)), 200, 0, ""));
        std::unique_ptr<QDialog> list;
        if (plan)
            list = std::make_unique<TeammateTaskDialog>();
        else
            list = std::make_unique<TeammateEarningReportDialog>();
        auto *view = child<QTableView>(list.get(), "tableView");
        view->setCurrentIndex(view->model()->index(1, 2));
        whenModal([](QWidget *entry) {
            QCOMPARE(edit(entry, "lineEditTeammate")->text(), QString("李明"));
            edit(entry, "lineEditMoney")->setText("800");
            press(entry, "pushButtonOk");
        });
        press(list.get(), "pushButtonEdit");
        const QString table = plan ? "teammate_task" : "teammate_earning_report";
        QCOMPARE(storedRows("SELECT money FROM " + table + " ORDER BY id"),
                 QStringList({plan ? "1000" : "300", "800"}));
        for (int row : {1, 0}) {
            view->setCurrentIndex(view->model()->index(row, 2));
            messages.answerNext(QMessageBox::Yes);
            press(list.get(), "pushButtonDelete");
        }
        // 王强's plan of 2026 has a report of 2026; 李明's report is of 2025.
        QCOMPARE(storedRows("SELECT helper_id FROM " + table),
                 plan ? QStringList{QString::number(first)} : QStringList{});
        QCOMPARE(messages.last().text.contains("已有 1 条业绩数据"), plan);
    }

    // The entry and edit forms ask before typed input is dropped, however
    // they are closed, and only then.
    void closingWithUnsavedInputAsks_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("input"); // a field typed into; "saved": entered and saved
        QTest::addColumn<QString>("how");
        QTest::addColumn<QMessageBox::StandardButton>("answer"); // NoButton: not asked
        const auto none = QMessageBox::NoButton, no = QMessageBox::No, yes = QMessageBox::Yes;
        row("product: nothing, window", "product", "", "window", none);
        row("product: name, 取消, no", "product", "lineEditName", "button", no);
        row("product edit: unchanged, Esc", "product edit", "", "esc", none);
        row("product edit: introduction, window, yes", "product edit", "textEditIntroduce",
            "window", yes);
        row("plan: nothing, Esc", "plan", "", "esc", none);
        row("plan: year, 取消, no", "plan", "comboBoxYear", "button", no);
        row("plan: saved, year kept, 取消", "plan", "saved", "button", none);
        row("plan edit: count, Esc, no", "plan edit", "lineEditHelperCount", "esc", no);
        row("report: memo, window, no", "report", "lineEditMemo", "window", no);
        row("report edit: unchanged, 取消", "report edit", "", "button", none);
        row("report edit: date, Esc, yes", "report edit", "dateEdit", "esc", yes);
        row("order: nothing, Esc", "order", "", "esc", none);
        row("order: a line, 关闭, no", "order", "tableWidget", "button", no);
        row("order: a line, Esc, yes", "order", "tableWidget", "esc", yes);
    }
    void closingWithUnsavedInputAsks()
    {
        QFETCH(QString, form);
        QFETCH(QString, input);
        QFETCH(QString, how);
        QFETCH(QMessageBox::StandardButton, answer);
        MessageRecorder messages;
        const qint64 june = GetDayBegin(QDate(2026, 6, 1));
        QVERIFY(addTeammateTask(first, 2026, june, 1000, 1) &&
                addEarningReport(first, june, 300, 0, "六月"));
        const QString member = ", helpers.name FROM %1 JOIN helpers ON helpers.id = helper_id";
        std::unique_ptr<QDialog> dialog;
        if (form == "product")
            dialog = std::make_unique<AddProductDialog>();
        else if (form == "product edit")
            dialog = std::make_unique<AddProductDialog>(nullptr, "P1", "产品一", "介绍");
        else if (form == "plan edit")
            dialog = std::make_unique<AddTeammateTaskDialog>(
                nullptr, firstRow("SELECT teammate_task.*" + member.arg("teammate_task")));
        else if (form == "report edit")
            dialog = std::make_unique<AddTeammateEarningReportDialog>(
                nullptr, firstRow("SELECT teammate_earning_report.*" +
                                  member.arg("teammate_earning_report")));
        else if (form == "order")
            dialog = std::make_unique<AddCustomerOrderDialog>();
        else
            dialog = entryDialog(form == "plan");
        dialog->show();
        if (input == "saved") { // the year stays for the next member's plan
            pickMemberWhenAsked(1);
            press(dialog.get(), "pushButtonSelectTeammate");
            chooseYear(dialog.get(), 2026);
            for (const char *field : {"lineEditMoney", "lineEditHelperCount"})
                edit(dialog.get(), field)->setText("5");
            press(dialog.get(), "pushButtonOk");
            QCOMPARE(queryValue("SELECT count(*) FROM teammate_task").toInt(), 2);
        } else if (!input.isEmpty()) {
            typeInto(dialog->findChild<QWidget *>(input));
        }
        if (answer != QMessageBox::NoButton)
            messages.answerNext(answer);
        if (how == "esc")
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
        else if (how == "button")
            press(dialog.get(), form == "order" ? "pushButtonClose" : "pushButtonCancel");
        else
            dialog->close();
        QCOMPARE(dialog->isVisible(), answer == QMessageBox::No);
        QCOMPARE(messages.texts(), answer == QMessageBox::NoButton
                                       ? QStringList()
                                       : QStringList{"确认要关闭当前窗口吗?"});
        QCOMPARE(messages.last().defaultButton,
                 answer == QMessageBox::NoButton ? QMessageBox::NoButton : QMessageBox::No);
    }

private:
    std::unique_ptr<TestWorkspace> workspace;
    int first = -1;
    int second = -1;
};

CALLLEDGER_TEST_MAIN(TestTeammates, QApplication)
#include "tst_teammates.moc"
