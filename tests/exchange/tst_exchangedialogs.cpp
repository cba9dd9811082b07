#include "common/appsettings.h"
#include "exchange/importpeopledialog.h"
#include "exchangetesting.h"
#include "orders/customerordersdialog.h"
#include "prospects/addcustomerdialog.h"
#include "prospects/customersdialog.h"
#include "prospects/prospectfixtures.h"
#include "store/catalogstore.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "team/helperdialog.h"
#include "team/teammatedialog.h"
#include "widgets/filechooser.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace ExchangeTesting;
using Fixtures::typeInto;

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

// Opens the file in the import dialog the way the agent does.
void chooseFile(ImportPeopleDialog *dialog, const QString &path)
{
    FileChooser::answerNext(path);
    press(dialog, "pushButtonBrowse");
}

std::unique_ptr<QDialog> listDialog(PersonTable table, bool team = false)
{
    if (team)
        return std::make_unique<TeammateDialog>();
    if (table == PersonTable::Customers)
        return std::make_unique<CustomersDialog>();
    return std::make_unique<HelperDialog>();
}

QStringList previewColumn(ImportPeopleDialog *dialog, int column)
{
    auto *table = child<QTableWidget>(dialog, "tableWidgetPreview");
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row)
        texts.append(table->item(row, column)->text());
    return texts;
}

// This process's POSIX locks on the file, as the kernel lists them
// ("1: POSIX  ADVISORY  READ 4321 08:01:131 128 128").
int locksHeld(const QString &path)
{
    struct stat info;
    QFile locks("/proc/locks");
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !locks.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression mine(
        QString("POSIX +\\w+ +\\w+ +%1 +[0-9a-f]+:[0-9a-f]+:%2 ").arg(::getpid()).arg(info.st_ino));
    return int(QString::fromLatin1(locks.readAll()).count(mine));
}
} // namespace

class TestExchangeDialogs : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestWorkspace> workspace;
    std::unique_ptr<MessageRecorder> messages;

private slots:
    void init()
    {
        workspace = std::make_unique<TestWorkspace>();
        QVERIFY(workspace->openDatabase());
        messages = std::make_unique<MessageRecorder>();
    }
    void cleanup()
    {
        QCOMPARE(messages->unexpectedQuestions(), 0);
        messages.reset();
        workspace.reset();
    }

    // Export, then import into an empty data file, through the dialogs.
    void roundTripThroughTheDialogsKeepsEveryRow_data()
    {
        QTest::addColumn<int>("table");
        QTest::newRow("prospects") << int(PersonTable::Customers);
        QTest::newRow("recruits") << int(PersonTable::Helpers);
    }
    void roundTripThroughTheDialogsKeepsEveryRow()
    {
        QFETCH(int, table);
        const auto kind = PersonTable(table);
        QVERIFY(addAwkwardPeople(kind, 1000));
        const QList<QStringList> original = storedPeople(kind);
        const QString path = workspace->filePath("list.csv");
        FileChooser::answerNext(path);
        press(listDialog(kind).get(), "pushButtonExport");
        QCOMPARE(messages->texts(), QStringList({"已导出 1000 条到 " + path}));
        messages->clear();

        workspace->closeDatabase();
        QVERIFY(QFile::remove(workspace->filePath("mwdb.dat")));
        QVERIFY(workspace->openDatabase());
        const std::unique_ptr<QDialog> list = listDialog(kind);
        // The list's "导入..." runs the import dialog modally; it is driven
        // from inside its event loop.
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<ImportPeopleDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            chooseFile(dialog, path);
            seen << child<QComboBox>(dialog, "comboBoxName")->currentText()
                 << child<QComboBox>(dialog, "comboBoxHomeTel")->currentText()
                 << QString::number(previewColumn(dialog, 0).size())
                 << previewColumn(dialog, 1).constFirst()
                 << child<QLabel>(dialog, "labelSummary")->text();
            press(dialog, "pushButtonImport");
            // Afterwards every row counts as a duplicate: nothing goes in twice.
            seen << child<QLabel>(dialog, "labelSummary")->text();
            dialog->close();
        });
        press(list.get(), "pushButtonImport");
        QCOMPARE(seen, QStringList({"姓名", "家庭电话", "20", "张0\"引号\"",
                                    "共 1000 行: 可导入 1000 行, 有问题 0 行, 号码重复 0 行",
                                    "共 1000 行: 可导入 0 行, 有问题 0 行, 号码重复 1000 行"}));
        QCOMPARE(messages->texts(), QStringList({"导入 1000 条, 跳过 0 条"}));
        QCOMPARE(storedPeople(kind), original);
        // The list shows what came in.
        QAbstractItemModel *shown = child<QTableView>(list.get(), "tableView")->model();
        while (shown->canFetchMore(QModelIndex()))
            shown->fetchMore(QModelIndex());
        QCOMPARE(shown->rowCount(), kind == PersonTable::Customers ? 100 : 1000);
        if (kind == PersonTable::Customers)
            QCOMPARE(child<QComboBox>(list.get(), "comboBoxPages")->count(), 10);
    }

    void exportTakesTheSearchAndEveryPage_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("rows");
        QTest::newRow("prospects, name search, two pages") << "prospects"
                                                           << "xlsx" << 110;
        QTest::newRow("recruits, name search") << "recruits"
                                               << "csv" << 110;
        QTest::newRow("team") << "team"
                              << "xlsx" << 2;
    }
    void exportTakesTheSearchAndEveryPage()
    {
        QFETCH(QString, list);
        QFETCH(QString, suffix);
        QFETCH(int, rows);
        const bool prospects = list == "prospects";
        QVERIFY(addAwkwardPeople(prospects ? PersonTable::Customers : PersonTable::Helpers, 300));
        // 张4 and 张6 of the recruits are team members; 张10 is abandoned.
        QVERIFY(execSql("UPDATE helpers SET user_type = 2 WHERE id IN (5, 7)"));
        const QString table = prospects ? "customers" : "helpers";
        QVERIFY(execSql("UPDATE " + table + " SET user_type = 0 WHERE id = 11"));
        QVERIFY(execSql("UPDATE " + table + " SET is_contact = 1 WHERE id = 2"));
        const std::unique_ptr<QDialog> dialog =
            listDialog(prospects ? PersonTable::Customers : PersonTable::Helpers, list == "team");
        if (list != "team") {
            // 张1, 张10 to 张19 and 张100 to 张199.
            typeInto(child<QLineEdit>(dialog.get(), "lineEditName"), "张1");
            press(dialog.get(), "pushButtonSearch");
        }
        const QString path = workspace->filePath("out." + suffix);
        FileChooser::answerNext(path);
        press(dialog.get(), "pushButtonExport");
        QCOMPARE(messages->texts(),
                 QStringList({QString("已导出 %1 条到 %2").arg(rows).arg(path)}));
        const QList<QStringList> written = suffix == "xlsx" ? xlsxRows(path) : csvRows(path);
        QCOMPARE(written.size(), rows + 1);
        // The lists' headers and texts: codes as words, names decoded.
        QCOMPARE(written.at(0),
                 QStringList({"ID", "姓名", "性别", "生日", "电话号码", "家庭/公司地址", "家庭电话",
                              "公司", "职务", "是否联系"}));
        if (list == "team")
            QCOMPARE(written.at(1),
                     QStringList({"5", "张4普通", "女", "1900-01-01", "13800000004",
                                  "北京市\"引号\"", "010-4", "公司逗,号", "换\n行", "否"}));
        else
            QCOMPARE(written.at(1),
                     QStringList({"2", "张1逗,号", "女", "1951-02-11", "13800000001",
                                  "北京市换\n行", "010-1", "公司表情😀", "普通", "是"}));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(3) == "\xEF\xBB\xBF", suffix == "csv");
    }

    void orderExportTakesTheShownPeriod()
    {
        QVERIFY(addCustomer("张\"三\"", 1, "1900-01-01", "138", "", "", "", ""));
        QVERIFY(addProduct("P1", "平安福", "终身寿险"));
        const auto at = [](int day) {
            return QDateTime(QDate(2026, 3, day), QTime(10, 0)).toSecsSinceEpoch();
        };
        QVERIFY(addCustomerOrder(1, at(1), "P1", 1, 5000));
        QVERIFY(addCustomerOrder(1, at(2), "P1", 2, 9000000000LL));
        QVERIFY(addCustomerOrder(1, at(9), "P1", 1, 100));
        CustomerOrdersDialog dialog(nullptr, at(1), at(3));
        const QString path = workspace->filePath("orders.csv");
        FileChooser::answerNext(path);
        press(&dialog, "pushButtonExport");
        QCOMPARE(messages->texts(), QStringList({"已导出 2 条到 " + path}));
        // The customer id the list hides stays out; 64-bit sums stay whole.
        QCOMPARE(
            csvRows(path),
            QList<QStringList>({{"ID", "时间", "客户", "产品名称", "数量", "金额"},
                                {"1", "2026-03-01", "张\"三\"", "平安福", "1", "5000"},
                                {"2", "2026-03-02", "张\"三\"", "平安福", "2", "9000000000"}}));
    }

    void importDialogMarksProblemsAndSkipsThem()
    {
        QVERIFY(addCustomer("张三", 1, "1900-01-01", "+86 138-0000-0001", "", "", "", ""));
        const QString path = workspace->filePath("in.csv");
        QVERIFY(writeFile(path, QString("名字,手机,性别\n"
                                        "甲,13800000001,男\n"   // line 2: 张三's number
                                        ",13800000002,女\n"     // line 3: no name
                                        "乙,13800000003,不详\n" // line 4: bad sex
                                        "丙,13800000004,\n")    // line 5: good, sex not given
                                    .toUtf8()));

        ImportPeopleDialog dialog(PersonTable::Customers);
        chooseFile(&dialog, path);
        QCOMPARE(child<QLabel>(&dialog, "labelEncoding")->text(), QString("编码 (UTF-8):"));
        QCOMPARE(previewColumn(&dialog, 0), QStringList({"2", "3", "4", "5"}));
        QCOMPARE(previewColumn(&dialog, 9),
                 QStringList({"号码重复: 准客户 张三 (+86 138-0000-0001)", "缺少姓名",
                              "性别只能是\"男\"、\"女\"或空: 不详", ""}));
        auto *preview = child<QTableWidget>(&dialog, "tableWidgetPreview");
        QVERIFY(preview->item(0, 1)->background() != preview->item(3, 1)->background());
        QVERIFY(preview->item(1, 1)->background() != preview->item(0, 1)->background());

        child<QCheckBox>(&dialog, "checkBoxAllowDuplicates")->setChecked(true);
        QCOMPARE(child<QLabel>(&dialog, "labelSummary")->text(),
                 QString("共 4 行: 可导入 2 行, 有问题 2 行, 号码重复 1 行"));
        child<QCheckBox>(&dialog, "checkBoxAllowDuplicates")->setChecked(false);
        press(&dialog, "pushButtonImport");
        QCOMPARE(messages->texts(), QStringList({"导入 1 条, 跳过 3 条"}));
        QCOMPARE(
            queryValue("SELECT decode_name(name) || sex FROM customers WHERE id = 2").toString(),
            QString("丙-1"));
        auto *skipped = child<QListWidget>(&dialog, "listWidgetSkipped");
        QCOMPARE(skipped->count(), 3);
        QCOMPARE(skipped->item(1)->text(), QString("第 3 行: 缺少姓名"));

        const QString fixPath = workspace->filePath("fix.csv");
        FileChooser::answerNext(fixPath);
        press(&dialog, "pushButtonSaveSkipped");
        const QList<QStringList> saved = csvRows(fixPath);
        QCOMPARE(saved.size(), 4);
        QCOMPARE(saved.at(3), QStringList({"乙", "13800000003", "不详", "4",
                                           "性别只能是\"男\"、\"女\"或空: 不详"}));

        // A header of any length is cut in the column choices.
        const QString header(30000, u'长');
        QVERIFY(writeFile(path, ("姓名,电话," + header + "\n丁,13900000000,x\n").toUtf8()));
        chooseFile(&dialog, path);
        QCOMPARE(child<QComboBox>(&dialog, "comboBoxOffice")->itemText(3), header.left(200) + u'…');

        // Read as UTF-8 on purpose, a GB18030 file is refused with a reason.
        QVERIFY(writeFile(path, gb18030("姓名,电话\n丁,13900000000\n")));
        messages->clear();
        child<QComboBox>(&dialog, "comboBoxEncoding")->setCurrentIndex(1);
        chooseFile(&dialog, path);
        QCOMPARE(messages->texts(), QStringList({"文件不是有效的 UTF-8 文本，请选择其他编码。"}));
        QVERIFY(!child<QPushButton>(&dialog, "pushButtonImport")->isEnabled());
        QCOMPARE(messages->last().kind, MessageKind::Warning);
    }

    void entryAsksBeforeSavingAKnownNumber_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("saveAnyway");
        QTest::newRow("same digits, no") << "13800138000" << false;
        QTest::newRow("spaces, yes") << "138 0013 8000" << true;
        QTest::newRow("0086 and hyphens, no") << "0086-138-0013-8000" << false;
    }
    void entryAsksBeforeSavingAKnownNumber()
    {
        QFETCH(QString, typed);
        QFETCH(bool, saveAnyway);
        QVERIFY(addCustomer("张三", 1, "1900-01-01", "+86 138-0013-8000", "", "", "", ""));
        AddCustomerDialog dialog;
        typeInto(child<QLineEdit>(&dialog, "lineEditName"), "李四");
        child<QComboBox>(&dialog, "comboBoxSex")->setCurrentIndex(0);
        typeInto(child<QLineEdit>(&dialog, "lineEditPhone"), typed);
        messages->answerNext(saveAnyway ? QMessageBox::Yes : QMessageBox::No);
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages->messages().constFirst().kind, MessageKind::Question);
        QCOMPARE(messages->messages().constFirst().text,
                 QString("该电话号码已经存在:\n准客户 张三 (+86 138-0013-8000)\n\n是否仍然保存?"));
        QCOMPARE(messages->messages().constFirst().defaultButton, QMessageBox::No);
        QCOMPARE(queryValue("SELECT count(*) FROM customers").toInt(), saveAnyway ? 2 : 1);
        if (!saveAnyway)
            QCOMPARE(dialog.focusWidget(), child<QLineEdit>(&dialog, "lineEditPhone"));
    }

    // Each file dialog opened, led into the data folder until it has listed
    // mwdb.dat, and cancelled: SQLite's locks on the file are still held, and
    // another program opening and closing it leaves the log in place.
    void fileDialogsKeepTheDatabaseLocks_data()
    {
        QTest::addColumn<int>("dialog");
        int row = 0;
        for (const char *name : {"import", "prospects", "recruits", "team", "orders"})
            QTest::newRow(name) << row++;
    }
    void fileDialogsKeepTheDatabaseLocks()
    {
        QFETCH(int, dialog);
        setDesktopSetting(DesktopSetting::lastFileFolder, workspace->path()); // not to start in
        const QString data = workspace->filePath("mwdb.dat");
        const QList<int> locks{locksHeld(data), locksHeld(data + "-shm")};
        QVERIFY(locks[0] > 0 && locks[1] > 0);
        std::unique_ptr<QDialog> opener =
            listDialog(dialog == 1 ? PersonTable::Customers : PersonTable::Helpers, dialog == 3);
        if (dialog == 0 || dialog == 4)
            opener = dialog == 0
                         ? std::unique_ptr<QDialog>(new ImportPeopleDialog(PersonTable::Customers))
                         : std::make_unique<CustomerOrdersDialog>();
        QString startedIn;
        QTimer::singleShot(0, this, [&] {
            auto *files = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            startedIn = files->directory().absolutePath();
            files->setNameFilter("*");
            files->setDirectory(workspace->path());
            QTRY_VERIFY(files->findChild<QFileSystemModel *>()->index(data + "-shm").isValid());
            QTest::qWait(200); // icons and types are gathered in the background
            files->reject();
        });
        press(opener.get(), dialog == 0 ? "pushButtonBrowse" : "pushButtonExport");
        QVERIFY(!startedIn.isEmpty() && startedIn != workspace->path());
        QCOMPARE(QList<int>({locksHeld(data), locksHeld(data + "-shm")}), locks);
        QProcess other;
        other.start("sqlite3", {data, "SELECT count(*) FROM customers;"});
        QVERIFY(other.waitForFinished() && other.exitCode() == 0);
        QVERIFY(QFile::exists(data + "-wal"));
        // Chosen all the same, the data file is refused before anything opens it.
        FileChooser::answerNext(data + "-wal");
        press(opener.get(), dialog == 0 ? "pushButtonBrowse" : "pushButtonExport");
        QCOMPARE(messages->texts(), QStringList{"这是软件自己的数据文件, 请选择其他文件."});
    }
};

CALLLEDGER_TEST_MAIN(TestExchangeDialogs, QApplication)
#include "tst_exchangedialogs.moc"
