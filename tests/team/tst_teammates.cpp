#include "teamtesting.h"

#include "../prospects/prospectfixtures.h"
#include "app/dateutils.h"
#include "store/teamstore.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "team/addteammatedialog.h"
#include "team/addteammateearningreportdialog.h"
#include "team/addteammatetaskdialog.h"
#include "team/teammatedialog.h"
#include "team/teammateearningreportdialog.h"
#include "team/teammatetaskdialog.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>

using namespace TeamTesting;
using Fixtures::typeInto;

namespace {
QLineEdit *edit(QWidget *dialog, const char *name)
{
    return child<QLineEdit>(dialog, name);
}

QString storedRow(const QString &sql)
{
    QStringList values;
    QSqlQuery query(sql);
    if (query.next()) {
        for (int column = 0; column < query.record().count(); ++column)
            values << query.value(column).toString();
    }
    return values.join('|');
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

        QTest::newRow("picker, double click") << true << "double click" << false << 1 << "李明";
        QTest::newRow("picker, Enter") << true << "enter" << false << 1 << "李明";
        QTest::newRow("picker, close on a row") << true << "close" << false << 1 << "李明";
        QTest::newRow("picker, close on a merely focused row")
            << true << "close, focus only" << false << 0 << "";
        QTest::newRow("picker, close without a row") << true << "close, no row" << false << 0 << "";
        QTest::newRow("list, double click") << false << "double click" << true << 0 << "";
        QTest::newRow("list, close on a row") << false << "close" << false << 1 << "李明";
    }

    void listAndPicker()
    {
        QFETCH(bool, selectMode);
        QFETCH(QString, gesture);
        TeammateDialog dialog(nullptr, selectMode);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *view = child<QTableView>(&dialog, "tableView");
        QCOMPARE(dialog.windowTitle(), QString("团队成员列表"));
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

    void addTeammateValidation_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("sex");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");

        const auto row = [](const char *tag, const QString &name, int sex, const QString &phone,
                            const QString &message, const QString &focus) {
            QTest::newRow(tag) << name << sex << phone << message << focus;
        };
        row("blank name", "  ", 1, "139", "请输入成员姓名.", "lineEditName");
        row("no sex", "张三", -1, "139", "请指定成员性别.", "comboBoxSex");
        row("blank phone", "张三", 0, " ", "请输入成员电话信息.", "lineEditPhone");
        row("saved", " 张三 ", 0, "1390", "", "lineEditName");
    }

    void addTeammateValidation()
    {
        QFETCH(QString, name);
        QFETCH(int, sex);
        QFETCH(QString, message);
        MessageRecorder messages;
        AddTeammateDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.focusWidget(), edit(&dialog, "lineEditName"));

        typeInto(edit(&dialog, "lineEditName"), name);
        child<QComboBox>(&dialog, "comboBoxSex")->setCurrentIndex(sex);
        QFETCH(QString, phone);
        typeInto(edit(&dialog, "lineEditPhone"), phone);
        press(&dialog, "pushButtonSave");

        QCOMPARE(messages.texts(), message.isEmpty() ? QStringList() : QStringList(message));
        QTEST(dialog.focusWidget()->objectName(), "focus");
        const QString stored = storedRow("SELECT name, sex, birth_date, phone_number, user_type "
                                         "FROM helpers WHERE name LIKE '%张三%'");
        if (message.isEmpty()) {
            QCOMPARE(stored, QString("张三|0|1900-01-01|1390|2"));
            QCOMPARE(edit(&dialog, "lineEditName")->text(), QString());
            QCOMPARE(child<QComboBox>(&dialog, "comboBoxSex")->currentIndex(), -1);
        } else {
            QCOMPARE(stored, QString());
            QCOMPARE(edit(&dialog, "lineEditName")->text(), name); // kept for correction
        }
    }

    void closingWithATypedNameAsks()
    {
        MessageRecorder messages;
        AddTeammateDialog dialog;
        dialog.show();
        typeInto(edit(&dialog, "lineEditName"), QStringLiteral("赵六"));

        messages.answerNext(QMessageBox::No);
        press(&dialog, "pushButtonClose");
        QVERIFY(dialog.isVisible());
        QCOMPARE(messages.texts(), QStringList({"确认要关闭当前窗口吗?"}));
        QCOMPARE(messages.last().defaultButton, QMessageBox::No);

        // Esc asks as well, and Yes lets the dialog go.
        messages.answerNext(QMessageBox::Yes);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(messages.count(), 2);

        // An empty form closes without a question.
        AddTeammateDialog empty;
        empty.show();
        press(&empty, "pushButtonClose");
        QVERIFY(!empty.isVisible());
        QCOMPARE(messages.count(), 2);
        QCOMPARE(messages.unexpectedQuestions(), 0);
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
        QFETCH(bool, member);
        QFETCH(int, year);
        QFETCH(QString, message);
        MessageRecorder messages;
        std::unique_ptr<QDialog> dialog;
        if (plan)
            dialog = std::make_unique<AddTeammateTaskDialog>();
        else
            dialog = std::make_unique<AddTeammateEarningReportDialog>();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QCOMPARE(dialog->focusWidget()->objectName(), QString("pushButtonSelectTeammate"));

        if (member) {
            pickMemberWhenAsked(0);
            press(dialog.get(), "pushButtonSelectTeammate");
            QCOMPARE(edit(dialog.get(), "lineEditTeammate")->text(), QString("王强"));
        }
        if (plan) {
            QCOMPARE(child<QComboBox>(dialog.get(), "comboBoxYear")->count(), 40);
            chooseYear(dialog.get(), year);
        } else {
            typeInto(edit(dialog.get(), "lineEditMemo"), QStringLiteral("六月"));
        }
        QFETCH(QString, money);
        QFETCH(QString, count);
        QTest::keyClicks(edit(dialog.get(), "lineEditMoney"), money);
        QTest::keyClicks(edit(dialog.get(), "lineEditHelperCount"), count);
        press(dialog.get(), "pushButtonOk");

        QCOMPARE(messages.texts(), message.isEmpty() ? QStringList() : QStringList(message));
        if (message.contains("销售额"))
            QCOMPARE(dialog->focusWidget(), edit(dialog.get(), "lineEditMoney"));
        if (message.contains("增员数") && !message.contains("或"))
            QCOMPARE(dialog->focusWidget(), edit(dialog.get(), "lineEditHelperCount"));
        const QString actual =
            plan ? storedRow("SELECT helper_id, year, begin_date, money, helper_count "
                             "FROM teammate_task")
                 : storedRow("SELECT helper_id, report_time, money, helper_count, memo "
                             "FROM teammate_earning_report");
        QFETCH(QString, stored);
        if (stored.isEmpty()) {
            QCOMPARE(actual, QString());
            QCOMPARE(edit(dialog.get(), "lineEditMoney")->text(), money); // kept as typed
            return;
        }
        QCOMPARE(actual, QString::number(first) + "|" + stored + (plan ? "" : "|六月"));
        // Ready for the next member; the plan's year stays chosen.
        QCOMPARE(edit(dialog.get(), "lineEditTeammate")->text(), QString());
        QCOMPARE(edit(dialog.get(), "lineEditMoney")->text(), QString());
        QCOMPARE(edit(dialog.get(), "lineEditHelperCount")->text(), QString());
        if (plan)
            QCOMPARE(child<QComboBox>(dialog.get(), "comboBoxYear")->currentText(),
                     QString("2026"));
        else
            QCOMPARE(edit(dialog.get(), "lineEditMemo")->text(), QString());
        press(dialog.get(), "pushButtonOk");
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
        QCOMPARE(messages.count(), 1);
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
        QCOMPARE(messages.count(), 0);
        enterPlan(0, 2026);
        QCOMPARE(messages.texts(), QStringList({"已经设定该成员的该年度工作计划"}));
        // The member stays chosen, also through a picker closed without a choice.
        pickMemberWhenAsked(-1);
        press(&dialog, "pushButtonSelectTeammate");
        QCOMPARE(edit(&dialog, "lineEditTeammate")->text(), QString("王强"));
        chooseYear(&dialog, 2027);
        press(&dialog, "pushButtonOk");
        QCOMPARE(messages.count(), 1);
        QCOMPARE(queryValue(QString("SELECT group_concat(helper_id || ':' || year, ' ') FROM "
                                    "(SELECT * FROM teammate_task ORDER BY id)"))
                     .toString(),
                 QString("%1:2026 %2:2026 %1:2027").arg(first).arg(second));
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
        auto *view = child<QTableView>(list.get(), "tableView");
        QCOMPARE(view->model()->rowCount(), 0);
        QVERIFY(view->isColumnHidden(1));
        QTimer::singleShot(0, [plan] {
            QWidget *entry = QApplication::activeModalWidget();
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
        view = child<QTableView>(list.get(), "tableView");
        QCOMPARE(Fixtures::columnTexts(view, 2), QStringList({"李明"}));
        QCOMPARE(Fixtures::columnTexts(view, plan ? 5 : 4), QStringList({"3000000000"}));
        QVERIFY(view->isColumnHidden(1));
    }

private:
    std::unique_ptr<TestWorkspace> workspace;
    int first = -1;
    int second = -1;
};

CALLLEDGER_TEST_MAIN(TestTeammates, QApplication)
#include "tst_teammates.moc"
