#include "prospectfixtures.h"

#include "prospects/addcustomerdialog.h"
#include "prospects/customersdialog.h"
#include "widgets/customersitemdelegate.h"
#include "prospects/editcustomerdialog.h"
#include "store/customermodels.h"
#include "store/nameencoding.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "widgets/helperitemdelegate.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>

#include <sqlite3.h>

using namespace Fixtures;

namespace {

// Records what a delegate draws instead of drawing it.
template <typename Base> class RecordingDelegate : public Base
{
public:
    struct Drawn
    {
        QString text;
        Qt::Alignment alignment;
    };
    mutable QList<Drawn> drawn;

protected:
    void drawDisplay(QPainter *painter, const QStyleOptionViewItem &option, const QRect &rect,
                     const QString &text) const override
    {
        drawn.append({text, option.displayAlignment});
        Base::drawDisplay(painter, option, rect, text);
    }
};

// Collects the statements SQLite runs on the default connection.
class StatementLog
{
public:
    StatementLog()
    {
        const QVariant handle = QSqlDatabase::database().driver()->handle();
        m_db = *static_cast<sqlite3 *const *>(handle.constData());
        sqlite3_trace_v2(m_db, SQLITE_TRACE_STMT, &StatementLog::trace, this);
    }
    ~StatementLog() { sqlite3_trace_v2(m_db, 0, nullptr, nullptr); }

    // The row-reading statements on customers (counts left out).
    QStringList prospectSelects() const
    {
        QStringList selects;
        for (const QString &sql : m_statements) {
            if (sql.startsWith("SELECT", Qt::CaseInsensitive) &&
                sql.contains("customers", Qt::CaseInsensitive) &&
                !sql.contains("Count(", Qt::CaseInsensitive) &&
                // Indexing the names of people just added, not a page.
                !sql.contains("name_backlog"))
                selects.append(sql);
        }
        return selects;
    }
    void clear() { m_statements.clear(); }

private:
    static int trace(unsigned, void *context, void *statement, void *)
    {
        auto *self = static_cast<StatementLog *>(context);
        self->m_statements.append(
            QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt *>(statement))));
        return 0;
    }
    sqlite3 *m_db = nullptr;
    QStringList m_statements;
};

QTableView *tableOf(QWidget *dialog)
{
    return dialog->findChild<QTableView *>("tableView");
}

void search(QDialog &dialog, const QString &name, const QString &birthday = QString(),
            const QString &address = QString())
{
    typeInto(dialog.findChild<QLineEdit *>("lineEditName"), name);
    typeInto(dialog.findChild<QLineEdit *>("lineEditBirthday"), birthday);
    typeInto(dialog.findChild<QLineEdit *>("lineEditHomeAddress"), address);
    QTest::mouseClick(dialog.findChild<QPushButton *>("pushButtonSearch"), Qt::LeftButton);
}

QStringList pageItems(QDialog &dialog)
{
    auto *combo = dialog.findChild<QComboBox *>("comboBoxPages");
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

// Sends a right click at pos and reports whether a menu popped up (closing it).
bool contextMenuShownAt(QDialog &dialog, const QPoint &pos, QStringList *actionNames = nullptr)
{
    bool shown = false;
    bool checked = false;
    QTimer::singleShot(0, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            shown = true;
            if (actionNames) {
                for (QAction *action : menu->actions())
                    actionNames->append(action->isSeparator() ? "-" : action->objectName());
            }
            menu->close();
        }
        checked = true;
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, dialog.mapToGlobal(pos));
    QApplication::sendEvent(&dialog, &event);
    if (!QTest::qWaitFor([&] { return checked; }, 2000))
        QTest::qFail("the context menu check never ran", __FILE__, __LINE__);
    return shown;
}

} // namespace

class TestCustomersDialog : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        workspace = std::make_unique<TestWorkspace>();
        QVERIFY(workspace->openDatabase());
    }
    void cleanup() { workspace.reset(); }

    void formCarriesTitleColumnsAndDelegate()
    {
        MessageRecorder messages;
        insertProspect(prospect(QStringLiteral("张三"), 1, "1980-05-06", QString(), 0));
        CustomersDialog dialog;
        QCOMPARE(dialog.windowTitle(), QString("准客户列表"));
        QVERIFY(dialog.windowFlags().testFlag(Qt::WindowMinMaxButtonsHint));
        QTableView *view = tableOf(&dialog);
        QVERIFY(qobject_cast<CustomersItemDelegate *>(view->itemDelegate()));
        QVERIFY(qobject_cast<QSqlCustomerTableModel *>(view->model()));
        QVERIFY(view->isColumnHidden(ColumnUserType));
        QVERIFY(view->isColumnHidden(ColumnServerCustomerId));
        QVERIFY(!view->isColumnHidden(ColumnIsContact));
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(view->model()->headerData(ColumnName, Qt::Horizontal).toString(), QString("姓名"));
        QCOMPARE(columnTexts(view, ColumnName), QStringList({"张三"}));
        QCOMPARE(messages.count(), 0);
    }

    void delegatesMapCodesToCentredWords_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("centred");
        QTest::newRow("female") << int(ColumnSex) << QVariant(0) << "女" << true;
        QTest::newRow("male") << int(ColumnSex) << QVariant(1) << "男" << true;
        QTest::newRow("sex not given") << int(ColumnSex) << QVariant(-1) << "" << true;
        QTest::newRow("sex out of range") << int(ColumnSex) << QVariant(7) << "" << true;
        QTest::newRow("never contacted") << int(ColumnIsContact) << QVariant(0) << "否" << true;
        QTest::newRow("contacted") << int(ColumnIsContact) << QVariant(1) << "是" << true;
        QTest::newRow("contacted, other value")
            << int(ColumnIsContact) << QVariant(3) << "是" << true;
        QTest::newRow("plain column")
            << int(ColumnPhoneNumber) << QVariant("1380") << "1380" << false;
    }

    void delegatesMapCodesToCentredWords()
    {
        QFETCH(int, column);
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QFETCH(bool, centred);

        QStandardItemModel model(1, 11);
        model.setData(model.index(0, column), value);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 80, 20);
        option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        QImage image(80, 20, QImage::Format_ARGB32);
        QPainter painter(&image);

        RecordingDelegate<CustomersItemDelegate> prospects;
        prospects.paint(&painter, option, model.index(0, column));
        RecordingDelegate<HelperItemDelegate> recruits;
        recruits.paint(&painter, option, model.index(0, column));

        QCOMPARE(prospects.drawn.size(), 1);
        QCOMPARE(prospects.drawn.first().text, expected);
        QCOMPARE(prospects.drawn.first().alignment == Qt::AlignCenter, centred);
        QCOMPARE(recruits.drawn.size(), 1);
        QCOMPARE(recruits.drawn.first().text, prospects.drawn.first().text);
        QCOMPARE(recruits.drawn.first().alignment, prospects.drawn.first().alignment);
    }

    void pagesHoldAHundredRows()
    {
        MessageRecorder messages;
        const int firstId = insertNumberedProspects(100, 1);
        {
            CustomersDialog dialog;
            QCOMPARE(pageItems(dialog), QStringList({"1"}));
            QCOMPARE(tableOf(&dialog)->model()->rowCount(), 100);
        }
        insertNumberedProspects(1, 2, 101); // a converted customer still counts
        CustomersDialog dialog;
        QCOMPARE(pageItems(dialog), QStringList({"1", "2"}));
        QTableView *view = tableOf(&dialog);
        QCOMPARE(view->model()->rowCount(), 100);
        QCOMPARE(view->model()->index(99, ColumnId).data().toInt(), firstId + 99);

        dialog.findChild<QComboBox *>("comboBoxPages")->setCurrentIndex(1);
        QCOMPARE(view->model()->rowCount(), 1);
        QCOMPARE(view->model()->index(0, ColumnId).data().toInt(), firstId + 100);
        QCOMPARE(view->model()->index(0, ColumnName).data().toString(), QString("客户101"));

        // Abandoning the only row of the last page keeps that page listed, now empty.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        clickRow(view, 0);
        messages.answerNext(QMessageBox::Yes);
        dialog.findChild<QAction *>("action_useless_customer")->trigger();
        QCOMPARE(view->model()->rowCount(), 0);
        QCOMPARE(pageItems(dialog), QStringList({"1", "2"}));

        dialog.findChild<QComboBox *>("comboBoxPages")->setCurrentIndex(0);
        QCOMPARE(view->model()->index(0, ColumnId).data().toInt(), firstId);
        QCOMPARE(view->model()->rowCount(), 100);
        QCOMPARE(messages.texts(), QStringList({"确认要放弃该客户吗?"}));
    }

    void emptyListHasNoPages()
    {
        MessageRecorder messages;
        CustomersDialog dialog;
        QCOMPARE(pageItems(dialog), QStringList());
        QCOMPARE(tableOf(&dialog)->model()->rowCount(), 0);
        insertProspect(prospect(QStringLiteral("王五")));
        search(dialog, QStringLiteral("没有这个人"));
        QCOMPARE(pageItems(dialog), QStringList());
        QCOMPARE(tableOf(&dialog)->model()->rowCount(), 0);
    }

    void abandonedLeftOutConvertedListed()
    {
        MessageRecorder messages;
        insertProspect(prospect(QStringLiteral("活跃"), 1));
        insertProspect(prospect(QStringLiteral("放弃"), 0));
        insertProspect(prospect(QStringLiteral("成交"), 2));
        CustomersDialog dialog;
        QCOMPARE(columnTexts(tableOf(&dialog), ColumnName), QStringList({"活跃", "成交"}));
    }

    void searchPagingNeverLoadsEveryRow()
    {
        MessageRecorder messages;
        insertNumberedProspects(250, 1);
        CustomersDialog dialog;
        StatementLog log;
        search(dialog, QStringLiteral("客户"));
        QCOMPARE(pageItems(dialog), QStringList({"1", "2", "3"}));
        QCOMPARE(tableOf(&dialog)->model()->rowCount(), 100);
        const QStringList selects = log.prospectSelects();
        QCOMPARE(selects.size(), 1);
        QVERIFY2(selects.first().contains("LIMIT 0, 100"), qPrintable(selects.first()));

        log.clear();
        dialog.findChild<QComboBox *>("comboBoxPages")->setCurrentIndex(2);
        QCOMPARE(tableOf(&dialog)->model()->rowCount(), 50);
        QCOMPARE(log.prospectSelects().size(), 1);
        QVERIFY(log.prospectSelects().first().contains("LIMIT 200, 100"));
    }

    void enterSearchesInFieldsAndPicksOnRows()
    {
        MessageRecorder messages;
        insertNumberedProspects(100, 1);
        insertProspect(prospect(QStringLiteral("李四")));
        CustomersDialog dialog(nullptr, true);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTableView *view = tableOf(&dialog);

        auto *name = dialog.findChild<QLineEdit *>("lineEditName");
        typeInto(name, QStringLiteral("客户7"));
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(columnTexts(view, ColumnName),
                 QStringList({"客户7", "客户70", "客户71", "客户72", "客户73", "客户74", "客户75",
                              "客户76", "客户77", "客户78", "客户79"}));
        typeInto(name, QString());
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(pageItems(dialog), QStringList({"1", "2"}));

        // Enter on a row of page 2 picks it instead of searching back to page 1.
        dialog.findChild<QComboBox *>("comboBoxPages")->setCurrentIndex(1);
        clickRow(view, 0);
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.selectedCustomerName(), QString("李四"));

        QCOMPARE(messages.count(), 0);
    }

    void searchMatchesReadableTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("birthday");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("family name") << "张"
                                     << ""
                                     << "" << QStringList({"张三", "张 伟"});
        QTest::newRow("quote") << "'"
                               << ""
                               << "" << QStringList({"O'Brien"});
        QTest::newRow("percent") << "%"
                                 << ""
                                 << "" << QStringList({"100%"});
        QTest::newRow("underscore") << "_"
                                    << ""
                                    << "" << QStringList({"a_b"});
        QTest::newRow("blank only") << " "
                                    << ""
                                    << "" << QStringList({"张 伟"});
        QTest::newRow("stored form not matched") << "5by"
                                                 << ""
                                                 << "" << QStringList();
        QTest::newRow("birthday") << ""
                                  << "1975"
                                  << "" << QStringList({"O'Brien"});
        QTest::newRow("address with quote") << ""
                                            << ""
                                            << "King's" << QStringList({"a_b"});
        QTest::newRow("all three") << "a"
                                   << "1990"
                                   << "King" << QStringList({"a_b"});
        QTest::newRow("name and address disagree") << "张三"
                                                   << ""
                                                   << "King" << QStringList();
    }

    void searchMatchesReadableTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, birthday);
        QFETCH(QString, address);
        QFETCH(QStringList, expected);

        MessageRecorder messages;
        insertProspect(prospect(QStringLiteral("张三"), 1, "1980-01-01", "北京"));
        insertProspect(prospect(QStringLiteral("O'Brien"), 1, "1975-03-04", "Dublin"));
        insertProspect(prospect(QStringLiteral("100%"), 1, "1980-01-01"));
        insertProspect(prospect(QStringLiteral("a_b"), 1, "1990-01-01", "King's Road"));
        insertProspect(prospect(QStringLiteral("axb"), 1, "1980-01-01"));
        insertProspect(prospect(QStringLiteral("张 伟"), 1, "1980-01-01"));
        insertProspect(prospect(QStringLiteral("张四"), 0, "1980-01-01"));

        CustomersDialog dialog;
        search(dialog, name, birthday, address);
        QCOMPARE(columnTexts(tableOf(&dialog), ColumnName), expected);
        QCOMPARE(pageItems(dialog).size(), expected.isEmpty() ? 0 : 1);
        QCOMPARE(dialog.focusWidget(), dialog.findChild<QLineEdit *>("lineEditName"));
        QCOMPARE(messages.count(), 0);
    }

    void pickerHandsBackTheRow()
    {
        MessageRecorder messages;
        insertProspect(prospect(QStringLiteral("张三")));
        const int liId = insertProspect(prospect(QStringLiteral("李四")));

        {
            CustomersDialog dialog(nullptr, true);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            doubleClickRow(tableOf(&dialog), 1);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(dialog.selectedCustomerId(), liId);
            QCOMPARE(dialog.selectedCustomerName(), QString("李四"));
        }
        {
            CustomersDialog dialog(nullptr, true);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            clickRow(tableOf(&dialog), 1);
            QTest::mouseClick(dialog.findChild<QPushButton *>("pushButtonClose"), Qt::LeftButton);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(dialog.selectedCustomerId(), liId);
            QCOMPARE(dialog.selectedCustomerName(), QString("李四"));
        }
        {
            CustomersDialog dialog(nullptr, true);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            dialog.setResult(QDialog::Accepted);
            QTest::mouseClick(dialog.findChild<QPushButton *>("pushButtonClose"), Qt::LeftButton);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QCOMPARE(dialog.selectedCustomerId(), -1);
            QCOMPARE(dialog.selectedCustomerName(), QString());
        }
        {
            // Outside select mode a double click neither picks nor closes
            // (it opens the call dialog, closed here at once).
            CustomersDialog dialog(nullptr, false);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QTimer::singleShot(0, [] {
                if (auto *call = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                    call->reject();
            });
            doubleClickRow(tableOf(&dialog), 0);
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.selectedCustomerId(), -1);
        }
        QCOMPARE(messages.count(), 0);
    }

    void abandonAsksAndActsOnYesOnly()
    {
        MessageRecorder messages;
        const int id = insertProspect(prospect(QStringLiteral("张三")));
        insertProspect(prospect(QStringLiteral("李四")));
        CustomersDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *abandon = dialog.findChild<QAction *>("action_useless_customer");

        abandon->trigger(); // no current row: nothing at all
        QCOMPARE(messages.count(), 0);

        clickRow(tableOf(&dialog), 0);
        messages.answerNext(QMessageBox::No);
        abandon->trigger();
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().kind, MessageKind::Question);
        QCOMPARE(messages.last().icon, QMessageBox::Warning);
        QCOMPARE(messages.last().title, QString("提示"));
        QCOMPARE(messages.last().text, QString("确认要放弃该客户吗?"));
        QCOMPARE(
            queryValue(QString("SELECT user_type FROM customers WHERE id = %1").arg(id)).toInt(),
            1);
        QCOMPARE(tableOf(&dialog)->model()->rowCount(), 2);

        messages.answerNext(QMessageBox::Yes);
        abandon->trigger();
        QCOMPARE(
            queryValue(QString("SELECT user_type FROM customers WHERE id = %1").arg(id)).toInt(),
            0);
        QCOMPARE(columnTexts(tableOf(&dialog), ColumnName), QStringList({"李四"}));
        QCOMPARE(messages.unexpectedQuestions(), 0);
    }

    void editNeedsASelectedRow()
    {
        MessageRecorder messages;
        insertProspect(prospect(QStringLiteral("张三")));
        CustomersDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.findChild<QAction *>("action_edit_customer")->trigger();
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().kind, MessageKind::Warning);
        QCOMPARE(messages.last().title, QString("提示"));
        QCOMPARE(messages.last().text, QString("请选中需编辑的客户条目"));

        // With a row: the edit form opens on it, and the list reloads after it.
        clickRow(tableOf(&dialog), 0);
        QString shownName;
        QTimer::singleShot(0, [&] {
            auto *edit = qobject_cast<EditCustomerDialog *>(QApplication::activeModalWidget());
            if (!edit)
                return;
            shownName = edit->findChild<QLineEdit *>("lineEditName")->text();
            typeInto(edit->findChild<QLineEdit *>("lineEditName"), QStringLiteral("张三丰"));
            QTest::mouseClick(edit->findChild<QPushButton *>("pushButtonSave"), Qt::LeftButton);
        });
        dialog.findChild<QAction *>("action_edit_customer")->trigger();
        QCOMPARE(shownName, QString("张三"));
        QCOMPARE(columnTexts(tableOf(&dialog), ColumnName), QStringList({"张三丰"}));
        QCOMPARE(messages.count(), 1);
    }

    void addOpensEntryAndReloads()
    {
        MessageRecorder messages;
        CustomersDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        bool opened = false;
        QTimer::singleShot(0, [&] {
            auto *add = qobject_cast<AddCustomerDialog *>(QApplication::activeModalWidget());
            if (!add)
                return;
            opened = true;
            typeInto(add->findChild<QLineEdit *>("lineEditName"), QStringLiteral("赵六"));
            add->findChild<QComboBox *>("comboBoxSex")->setCurrentIndex(0);
            typeInto(add->findChild<QLineEdit *>("lineEditPhone"), QStringLiteral("139"));
            QTest::mouseClick(add->findChild<QPushButton *>("pushButtonSave"), Qt::LeftButton);
            QTest::mouseClick(add->findChild<QPushButton *>("pushButtonClose"), Qt::LeftButton);
        });
        QTest::mouseClick(dialog.findChild<QPushButton *>("pushButtonAdd"), Qt::LeftButton);
        QVERIFY(opened);
        QCOMPARE(columnTexts(tableOf(&dialog), ColumnName), QStringList({"赵六"}));
        // The page list only follows a search.
        QCOMPARE(pageItems(dialog), QStringList());
        QCOMPARE(messages.texts(), QStringList({"保存客户信息成功."}));
    }

    void contextMenuOnlyOverTableWithCurrentRow()
    {
        MessageRecorder messages;
        insertProspect(prospect(QStringLiteral("张三")));
        CustomersDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTableView *view = tableOf(&dialog);
        const QPoint inTable = view->mapTo(&dialog, view->rect().center());
        const QPoint outside =
            dialog.findChild<QPushButton *>("pushButtonSearch")->mapTo(&dialog, QPoint(2, 2));

        QVERIFY(!contextMenuShownAt(dialog, inTable)); // no current row yet
        clickRow(view, 0);
        QVERIFY(!contextMenuShownAt(dialog, outside));
        QStringList actions;
        QVERIFY(contextMenuShownAt(dialog, inTable, &actions));
        QCOMPARE(actions, QStringList({"action_add_customer", "action_edit_customer",
                                       "action_useless_customer", "-", "action_call_customer",
                                       "actionDial"}));
        QCOMPARE(messages.count(), 0);
    }

private:
    std::unique_ptr<TestWorkspace> workspace;
};

CALLLEDGER_TEST_MAIN(TestCustomersDialog, QApplication)
#include "tst_customersdialog.moc"
