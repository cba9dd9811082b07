#include "prospectfixtures.h"

#include "prospects/customersdialog.h"
#include "widgets/customersitemdelegate.h"
#include "prospects/uselesscustomersdialog.h"
#include "prospects/uselesshelpersdialog.h"
#include "store/customermodels.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "widgets/helperitemdelegate.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

using namespace Fixtures;

namespace {

QTableView *tableOf(QWidget *dialog)
{
    return dialog->findChild<QTableView *>("tableView");
}

void press(QWidget *dialog, const char *button)
{
    QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
}

void search(QWidget *dialog, const QString &name, const QString &birthday = QString(),
            const QString &address = QString())
{
    typeInto(dialog->findChild<QLineEdit *>("lineEditName"), name);
    typeInto(dialog->findChild<QLineEdit *>("lineEditBirthday"), birthday);
    typeInto(dialog->findChild<QLineEdit *>("lineEditHomeAddress"), address);
    press(dialog, "pushButtonSearch");
}

int userType(const char *table, int id)
{
    return queryValue(QString("SELECT user_type FROM %1 WHERE id = %2").arg(table).arg(id)).toInt();
}

} // namespace

class TestUselessLists : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        workspace = std::make_unique<TestWorkspace>();
        QVERIFY(workspace->openDatabase());
    }
    void cleanup() { workspace.reset(); }

    void prospectListShowsOnlyAbandoned()
    {
        MessageRecorder messages;
        insertProspect(prospect(QStringLiteral("活跃"), 1));
        insertProspect(prospect(QStringLiteral("放弃甲"), 0, "1970-01-01", QString(), -1));
        insertProspect(prospect(QStringLiteral("成交"), 2));
        insertProspect(prospect(QStringLiteral("放弃乙"), 0));
        UselessCustomersDialog dialog;
        QCOMPARE(dialog.windowTitle(), QString("放弃的准客户名单"));
        QVERIFY(dialog.windowFlags().testFlag(Qt::WindowMinMaxButtonsHint));
        QTableView *view = tableOf(&dialog);
        QCOMPARE(columnTexts(view, ColumnName), QStringList({"放弃甲", "放弃乙"}));
        QVERIFY(qobject_cast<CustomersItemDelegate *>(view->itemDelegate()));
        QVERIFY(view->isColumnHidden(ColumnUserType));
        QVERIFY(view->isColumnHidden(ColumnServerCustomerId));
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(view->model()->headerData(ColumnName, Qt::Horizontal).toString(), QString("姓名"));
        QCOMPARE(view->model()->headerData(ColumnIsContact, Qt::Horizontal).toString(),
                 QString("是否联系"));
        QCOMPARE(view->model()->index(0, ColumnSex).data().toInt(), -1);
        QCOMPARE(messages.count(), 0);
    }

    void prospectSearchUsesReadableNames()
    {
        MessageRecorder messages;
        insertProspect(prospect(QStringLiteral("张三"), 0, "1970-01-01", QStringLiteral("北京")));
        insertProspect(prospect(QStringLiteral("O'Neil"), 0, "1981-01-01", "Cork"));
        insertProspect(prospect(QStringLiteral("50%"), 0, "1970-01-01", "a_b street"));
        insertProspect(prospect(QStringLiteral("张四"), 1)); // active: never here
        UselessCustomersDialog dialog;
        search(&dialog, QStringLiteral("张"));
        QCOMPARE(columnTexts(tableOf(&dialog), ColumnName), QStringList({"张三"}));
        QCOMPARE(dialog.focusWidget(), dialog.findChild<QLineEdit *>("lineEditName"));
        search(&dialog, "'");
        QCOMPARE(columnTexts(tableOf(&dialog), ColumnName), QStringList({"O'Neil"}));
        search(&dialog, "%");
        QCOMPARE(columnTexts(tableOf(&dialog), ColumnName), QStringList({"50%"}));
        search(&dialog, "", "1981");
        QCOMPARE(columnTexts(tableOf(&dialog), ColumnName), QStringList({"O'Neil"}));
        search(&dialog, "", "", "_");
        QCOMPARE(columnTexts(tableOf(&dialog), ColumnName), QStringList({"50%"}));
        search(&dialog, "", "", "");
        QCOMPARE(tableOf(&dialog)->model()->rowCount(), 3);
        QCOMPARE(messages.count(), 0);
    }

    void recoverBringsProspectBackAsActive()
    {
        MessageRecorder messages;
        const int converted = insertProspect(prospect(QStringLiteral("成交后放弃"), 2));
        const int other = insertProspect(prospect(QStringLiteral("另一个"), 0));
        // Converted first, then abandoned from the prospect list.
        {
            CustomersDialog list;
            list.show();
            QVERIFY(QTest::qWaitForWindowExposed(&list));
            clickRow(tableOf(&list), 0);
            messages.answerNext(QMessageBox::Yes);
            list.findChild<QAction *>("action_useless_customer")->trigger();
        }
        QCOMPARE(userType("customers", converted), 0);

        UselessCustomersDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        messages.clear();
        press(&dialog, "pushButtonRecover");
        QCOMPARE(messages.texts(), QStringList({"请先选中要追回的准客户"}));
        QCOMPARE(messages.last().kind, MessageKind::Warning);
        QCOMPARE(messages.last().title, QString("提示"));

        messages.clear();
        clickRow(tableOf(&dialog), 0);
        press(&dialog, "pushButtonRecover");
        QCOMPARE(messages.count(), 0); // no question, no success message
        QCOMPARE(userType("customers", converted), 1);
        QCOMPARE(userType("customers", other), 0);
        QCOMPARE(columnTexts(tableOf(&dialog), ColumnName), QStringList({"另一个"}));

        CustomersDialog list;
        QCOMPARE(columnTexts(tableOf(&list), ColumnName), QStringList({"成交后放弃"}));
    }

    void emptyProspectListRefusesRecovery()
    {
        MessageRecorder messages;
        insertProspect(prospect(QStringLiteral("活跃"), 1));
        UselessCustomersDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(tableOf(&dialog)->model()->rowCount(), 0);
        press(&dialog, "pushButtonRecover");
        QCOMPARE(messages.texts(), QStringList({"请先选中要追回的准客户"}));
    }

    void recruitTwinListsSearchesAndRecovers()
    {
        MessageRecorder messages;
        insertRecruit(QStringLiteral("在职"), 1);
        const int wang = insertRecruit(QStringLiteral("王 二"), 0, QStringLiteral("天津"));
        const int quote = insertRecruit(QStringLiteral("D'Arcy"), 0);
        insertRecruit(QStringLiteral("队员"), 2);
        UselessHelpersDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QString("放弃的准增员名单"));
        QCOMPARE(dialog.findChild<QPushButton *>("pushButtonRecover")->text(),
                 QString("追回准增员"));
        QTableView *view = tableOf(&dialog);
        QVERIFY(qobject_cast<HelperItemDelegate *>(view->itemDelegate()));
        QVERIFY(view->isColumnHidden(ColumnUserType));
        QCOMPARE(columnTexts(view, ColumnName), QStringList({"王 二", "D'Arcy"}));

        press(&dialog, "pushButtonRecover");
        QCOMPARE(messages.texts(), QStringList({"请先选中要追回的准增员"}));
        QCOMPARE(messages.last().title, QString("提示"));

        search(&dialog, "'");
        QCOMPARE(columnTexts(tableOf(&dialog), ColumnName), QStringList({"D'Arcy"}));
        search(&dialog, " ");
        QCOMPARE(columnTexts(tableOf(&dialog), ColumnName), QStringList({"王 二"}));
        search(&dialog, "", "", QStringLiteral("天"));
        QCOMPARE(columnTexts(tableOf(&dialog), ColumnName), QStringList({"王 二"}));

        messages.clear();
        clickRow(tableOf(&dialog), 0);
        press(&dialog, "pushButtonRecover");
        QCOMPARE(messages.count(), 0);
        QCOMPARE(userType("helpers", wang), 1);
        QCOMPARE(userType("helpers", quote), 0);
        QCOMPARE(tableOf(&dialog)->model()->rowCount(), 0); // the search still applies
    }

    // The list holds what the view has shown; scrolling down fetches the
    // rest, every name decoded as it arrives.
    void tenThousandAbandonedReachedByScrolling()
    {
        MessageRecorder messages;
        insertNumberedProspects(10000, 0);
        insertNumberedProspects(500, 1, 20000);
        QElapsedTimer timer;
        timer.start();
        UselessCustomersDialog dialog;
        const qint64 openMs = timer.elapsed();
        QAbstractItemModel *list = tableOf(&dialog)->model();
        QVERIFY(list->rowCount() < 10000);
        dialog.show();
        for (int guard = 0; list->rowCount() < 10000 && guard < 100; ++guard) {
            tableOf(&dialog)->scrollToBottom();
            QCoreApplication::processEvents();
        }
        QCOMPARE(list->rowCount(), 10000);
        for (int row = 0; row < 10000; row += 1111)
            QCOMPARE(list->index(row, ColumnName).data().toString(),
                     QStringLiteral("客户%1").arg(row + 1));
        QCOMPARE(list->index(9999, ColumnName).data().toString(), QString("客户10000"));
        timer.restart();
        search(&dialog, QStringLiteral("客户99"));
        const qint64 searchMs = timer.elapsed();
        // 客户99 and 客户990 to 客户9999
        QCOMPARE(tableOf(&dialog)->model()->rowCount(), 111);
        qInfo("10,000 abandoned prospects: opened in %lld ms, searched in %lld ms", openMs,
              searchMs);
        // Generous bounds: a slow shared machine must not fail this, a per-row
        // query or a quadratic reload would.
        QVERIFY2(openMs < 5000, qPrintable(QString::number(openMs)));
        QVERIFY2(searchMs < 5000, qPrintable(QString::number(searchMs)));
    }

private:
    std::unique_ptr<TestWorkspace> workspace;
};

CALLLEDGER_TEST_MAIN(TestUselessLists, QApplication)
#include "tst_uselesslists.moc"
