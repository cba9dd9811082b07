#include "exchange/listexport.h"
#include "exchange/personimport.h"
#include "exchangetesting.h"
#include "store/catalogstore.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "support/warningrecorder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace ExchangeTesting;

namespace {
// Runs the program's command line in the workspace and hands back its exit code.
int runProgram(const QStringList &arguments, QString *output = nullptr, QString *errors = nullptr)
{
    QProcess program;
    program.start(QStringLiteral(CALLLEDGER_EXECUTABLE), arguments);
    program.waitForFinished(120000);
    if (output)
        *output = QString::fromUtf8(program.readAllStandardOutput());
    if (errors)
        *errors = QString::fromUtf8(program.readAllStandardError());
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
}

ImportPlan planFile(PersonTable table, const QString &path,
                    TextEncoding encoding = TextEncoding::Automatic)
{
    CsvFile file;
    QString error;
    if (!readCsvFile(path, encoding, &file, &error) || file.isEmpty())
        return {};
    return planImport(table, file, guessMapping(file.fields(0)));
}

const QString badRowsFile =
    QStringLiteral("姓名,性别,生日,联系电话,地址\n"
                   "张三,男,1980/5/6,13800000001,\"北京,朝阳\"\n"    // line 2: good
                   ",女,,13800000002,\n"                             // line 3: no name
                   "李四,X,,13800000003,\n"                          // line 4: bad sex
                   "王五,女,1980-13-40,13800000004,\n"               // line 5: bad date
                   "赵六,男,19850601,,\n"                            // line 6: no phone
                   "\"钱\n七\",女,1985年6月1日,+86 138-0000-0007,\n" // lines 7-8: good, two lines
                   "孙八,,,0086 13800000007,\n"); // line 9: repeats line 7's number
} // namespace

class TestExchange : public QObject
{
    Q_OBJECT

private slots:
    void duplicatesAreFoundWhateverTheSpelling_data()
    {
        QTest::addColumn<int>("table");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("found");
        const struct
        {
            const char *name, *stored, *typed;
            bool found;
        } cases[] = {{"spaces", "138 0013 8000", "13800138000", true},
                     {"hyphens", "13800138000", "138-0013-8000", true},
                     {"+86", "+86 13800138000", "138 0013 8000", true},
                     {"(+86) 0086", "(+86)13800138000", "0086-13800138000", true},
                     {"full-width", "＋８６１３８００１３８０００", "13800138000", true},
                     {"86 without plus", "8613800138000", "13800138000", false},
                     {"other", "13800138000", "13800138001", false},
                     {"blank", "无", "无", false},
                     {"second of two", "13911112222/13933334444", "13933334444", true},
                     {"typed two", "13933334444", "13911112222 13933334444", true},
                     {"note after", "13955556666(晚上)", "13955556666", true},
                     {"0086 spaced", "0086 13900002222", "+86 139 0000 2222", true}};
        for (int table : {int(PersonTable::Customers), int(PersonTable::Helpers)}) {
            for (const auto &c : cases)
                QTest::addRow("%s %s", table ? "recruit" : "prospect", c.name)
                    << table << QString(c.stored) << QString(c.typed) << c.found;
        }
    }
    void duplicatesAreFoundWhateverTheSpelling()
    {
        QFETCH(int, table);
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(bool, found);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const auto kind = PersonTable(table);
        QVERIFY(kind == PersonTable::Customers
                    ? addCustomer("张三", 1, "1900-01-01", stored, "", "", "", "")
                    : addHelper("张三", 1, "1900-01-01", stored, "", "", "", "", 1));
        const QList<PhoneHolder> holders = findPhoneHolders(kind, typed);
        QCOMPARE(holders.size(), found ? 1 : 0);
        if (found)
            QCOMPARE(holders.constFirst().name, QString("张三"));
        // Each list only answers for itself.
        const auto other =
            kind == PersonTable::Customers ? PersonTable::Helpers : PersonTable::Customers;
        QVERIFY(findPhoneHolders(other, typed).isEmpty());
        // A downloaded batch counts its known numbers the same way.
        QCOMPARE(countKnownPhones(kind, {typed, "13999999999", typed}), found ? 2 : 0);
    }

    void sideTableFollowsEveryWriteAndEarlierFiles()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(addCustomer("张三", 1, "1900-01-01", "13800138000", "", "", "", ""));
        QVERIFY(addCustomer("李四", 1, "1900-01-01", "13900139000", "", "", "", ""));
        QCOMPARE(findPhoneHolders(PersonTable::Customers, "13800138000").size(), 1);
        // Any writer, even plain SQL, keeps the side table right.
        QVERIFY(execSql("UPDATE customers SET phone_number = '13700137000' WHERE id = 1"));
        QVERIFY(findPhoneHolders(PersonTable::Customers, "13800138000").isEmpty());
        QCOMPARE(findPhoneHolders(PersonTable::Customers, "137-0013-7000").size(), 1);
        QVERIFY(execSql("DELETE FROM customers WHERE id = 2"));
        QVERIFY(findPhoneHolders(PersonTable::Customers, "13900139000").isEmpty());

        // A data file of an earlier version: no side table, no triggers.
        for (const char *drop :
             {"TABLE phone_keys", "TABLE phone_key_backlog", "TRIGGER trg_customers_phone_insert",
              "TRIGGER trg_customers_phone_update", "TRIGGER trg_customers_phone_delete"})
            QVERIFY(execSql(QStringLiteral("DROP %1").arg(drop)));
        QVERIFY(addCustomer("王五", 1, "1900-01-01", "13600136000", "", "", "", ""));
        workspace.closeDatabase();
        QVERIFY(workspace.openDatabase());
        QCOMPARE(findPhoneHolders(PersonTable::Customers, "+8613700137000").size(), 1);
        QCOMPARE(findPhoneHolders(PersonTable::Customers, "13600136000").size(), 1);

        // One of an earlier version again, whose side table took one number a person.
        QVERIFY(execSql("DROP TABLE phone_keys") &&
                execSql("CREATE TABLE phone_keys (kind INTEGER NOT NULL, person_id INTEGER NOT "
                        "NULL, phone_key TEXT NOT NULL, PRIMARY KEY (kind, person_id))"));
        QVERIFY(execSql("UPDATE customers SET phone_number = '13500135000/13400134000'"));
        workspace.closeDatabase();
        QVERIFY(workspace.openDatabase());
        QCOMPARE(findPhoneHolders(PersonTable::Customers, "13400134000").size(), 2);
    }

    void birthDatesInTheCommonForms_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("stored");
        for (const char *written :
             {"1985-06-01", "1985-6-1", "1985/6/1", "19850601", "1985年6月1日", "1985/6/1 0:00"})
            QTest::newRow(written) << QString(written) << QStringLiteral("1985-06-01");
        QTest::newRow("a child") << "2015-01-01"
                                 << "2015-01-01";
        // No such day, after today, day first: nothing is stored.
        QTest::newRow("tomorrow") << QDate::currentDate().addDays(1).toString(Qt::ISODate) << "";
        for (const char *written : {"1985-02-30", "01/06/1985"})
            QTest::newRow(written) << QString(written) << QString();
    }
    void birthDatesInTheCommonForms()
    {
        QFETCH(QString, written);
        QFETCH(QString, stored);
        QCOMPARE(parseBirthDate(written), stored);
    }

    // The entry dialogs' number and length rules, applied to imported rows.
    void numbersAndLengthsOfImportedRows_data()
    {
        QTest::addColumn<int>("table");
        QTest::addColumn<QString>("row"); // 姓名,联系电话,家庭电话,职务
        QTest::addColumn<QString>("problem");
        const auto row = [](const char *tag, PersonTable table, const QString &line,
                            const QString &problem) {
            QTest::newRow(tag) << int(table) << line << problem;
        };
        const auto prospects = PersonTable::Customers, recruits = PersonTable::Helpers;
        const QString digitsOnly = "只能包含数字、空格、+、-和括号: ";
        row("signs", recruits, "甲,+86 (138) 0013-8000,０２１－１２３４　５６７８,", "");
        row("letters", prospects, "甲,138abc,,", "电话号码" + digitsOnly + "138abc");
        row("home phone", recruits, "甲,139,ext 5,", "家庭电话" + digitsOnly + "ext 5");
        row("office of 21", recruits, "甲,139,," + QString(21, u'长'), "职务不能超过 20 个字");
        row("name of 51", recruits, QString(51, u'名') + ",139,,", "姓名不能超过 50 个字");
        // Prospects take the recruits' lengths.
        row("prospect name of 51", prospects, QString(51, u'名') + ",139,,",
            "姓名不能超过 50 个字");
    }
    void numbersAndLengthsOfImportedRows()
    {
        QFETCH(int, table);
        QFETCH(QString, row);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(writeFile(workspace.filePath("in.csv"),
                          ("姓名,联系电话,家庭电话,职务\n" + row).toUtf8()));
        const ImportPlan plan = planFile(PersonTable(table), workspace.filePath("in.csv"));
        QCOMPARE(plan.rows.size(), 1);
        QTEST(plan.problem(plan.rows.first()), "problem");
    }

    void columnsAreGuessedFromHeaders_data()
    {
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QList<int>>("mapping");
        // "家庭电话" must not be taken for the phone though it contains "电话".
        QTest::newRow("other words")
            << QStringList{"家庭电话", "客户姓名 ", "手机号码", "工作单位", "出生日期："}
            << QList<int>{1, -1, 4, 2, -1, 0, 3, -1};
        QTest::newRow("unknown") << QStringList{"甲", "乙"}
                                 << QList<int>{-1, -1, -1, -1, -1, -1, -1, -1};
    }
    void columnsAreGuessedFromHeaders()
    {
        QFETCH(QStringList, headers);
        QFETCH(QList<int>, mapping);
        QCOMPARE(guessMapping(headers), mapping);
    }

    void badRowsAreSkippedWithLineAndReason()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(writeFile(workspace.filePath("in.csv"), badRowsFile.toUtf8()));
        const ImportPlan plan = planFile(PersonTable::Customers, workspace.filePath("in.csv"));
        const ImportResult result = runImport(plan, false);
        QCOMPARE(result.outcome, ImportResult::Done);
        QCOMPARE(result.imported, 2);
        QCOMPARE(skippedLines(result),
                 QStringList({"第 3 行: 缺少姓名", "第 4 行: 性别只能是\"男\"、\"女\"或空: X",
                              "第 5 行: 生日无法识别或不在 1900-01-01 至今天之间: "
                              "1980-13-40",
                              "第 6 行: 缺少电话号码", "第 9 行: 号码重复: 第 7 行"}));
        const QList<QStringList> stored = storedPeople(PersonTable::Customers);
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored.at(0), QStringList({"张三", "1", "1980-05-06", "13800000001", "北京,朝阳",
                                            "", "", "", "0", "1"}));
        QCOMPARE(stored.at(1).mid(0, 4),
                 QStringList({"钱\n七", "0", "1985-06-01", "+86 138-0000-0007"}));

        // Imported again: everything good is now a duplicate of what is stored.
        const ImportPlan again = planFile(PersonTable::Customers, workspace.filePath("in.csv"));
        QCOMPARE(runImport(again, false).imported, 0);
        QCOMPARE(runImport(again, true).imported, 3);
    }

    // The entry dialogs ask across kinds, so the import skips a number that
    // a person of the other kind holds, naming the holder with the kind.
    void importSkipsNumbersOfTheOtherKind_data()
    {
        QTest::addColumn<int>("table");
        QTest::addColumn<int>("holderType");
        QTest::addColumn<QString>("reason");
        const int prospects = int(PersonTable::Customers), recruits = int(PersonTable::Helpers);
        QTest::newRow("prospect with a recruit's number")
            << prospects << 1 << "号码重复: 准增员 刘洋 (139 0000 2222)";
        QTest::newRow("prospect with a member's number")
            << prospects << 2 << "号码重复: 团队成员 刘洋 (139 0000 2222)";
        QTest::newRow("recruit with a prospect's number")
            << recruits << 1 << "号码重复: 准客户 刘洋 (139 0000 2222)";
    }
    void importSkipsNumbersOfTheOtherKind()
    {
        QFETCH(int, table);
        QFETCH(int, holderType);
        QFETCH(QString, reason);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(
            PersonTable(table) == PersonTable::Helpers
                ? addCustomer("刘洋", 1, "1900-01-01", "139 0000 2222", "", "", "", "")
                : addHelper("刘洋", 1, "1900-01-01", "139 0000 2222", "", "", "", "", holderType));
        QVERIFY(writeFile(workspace.filePath("in.csv"),
                          "姓名,电话\n甲,0086 13900002222\n乙,13900003333\n"));
        const ImportPlan plan = planFile(PersonTable(table), workspace.filePath("in.csv"));
        QVERIFY(plan.rows.at(0).isDuplicate() && !plan.rows.at(1).isDuplicate());
        const ImportResult result = runImport(plan, false);
        QCOMPARE(result.imported, 1);
        QCOMPARE(skippedLines(result), QStringList{"第 2 行: " + reason});
    }

    // In a workbook ids, counts and money are numbers a formula can sum and
    // shares are percentages; phone numbers, dates and words stay text.
    void xlsxCellsKeepTheirKinds()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(addCustomer("张三", 1, "1900-01-01", "13800000001", "", "", "", "") &&
                addProduct("P1", "平安福", "终身寿险") &&
                addCustomerOrder(1, 1700000000, "P1", 2, 9000000000LL));
        const QString path = workspace.filePath("out.xlsx");
        QList<QStringList> kinds;
        QCOMPARE(exportList(exportSource(ExportList::Prospects), path).outcome, ExportResult::Done);
        QCOMPARE(xlsxRows(path, &kinds).at(1).at(4), QString("13800000001"));
        QCOMPARE(kinds.at(1),
                 QStringList({"number", "text", "text", "text", "text", "", "", "", "", "text"}));
        QCOMPARE(exportList(exportSource(ExportList::Orders), path).outcome, ExportResult::Done);
        QCOMPARE(xlsxRows(path, &kinds).at(1).mid(4), QStringList({"2", "9000000000"}));
        QCOMPARE(kinds.at(1), QStringList({"number", "text", "text", "text", "number", "number"}));
        QCOMPARE(exportRows("统计", {"阶段", "人数", "占比"},
                            {{"首次电话", "8", "12.5%"}, {"x", "y", "z"}}, path,
                            {CellKind::Text, CellKind::Number, CellKind::Percent})
                     .outcome,
                 ExportResult::Done);
        QCOMPARE(xlsxRows(path, &kinds).at(1), QStringList({"首次电话", "8", "0.125"}));
        QCOMPARE(kinds.at(1), QStringList({"text", "number", "percent"}));
        QCOMPARE(kinds.at(2), QStringList(3, "text"));
    }

    void gb18030FileImportsLikeItsUtf8Twin_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");
        QTest::newRow("utf-8 with bom, detected")
            << QByteArray("\xEF\xBB\xBF") + badRowsFile.toUtf8() << int(TextEncoding::Automatic);
        QTest::newRow("gb18030, detected") << gb18030(badRowsFile) << int(TextEncoding::Automatic);
        QTest::newRow("gb18030, chosen") << gb18030(badRowsFile) << int(TextEncoding::Gb18030);
    }

    void filesNoEncodingCanReadAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("utf-16") << QByteArray("\xFF\xFE") +
                                       QByteArray(reinterpret_cast<const char *>(u"姓名,电话\n"),
                                                  12);
        QTest::newRow("a workbook") << QByteArray("PK\x03\x04\x14\0\0\0", 8);
    }
    void filesNoEncodingCanReadAreRefused()
    {
        QFETCH(QByteArray, bytes);
        TestWorkspace workspace;
        QVERIFY(writeFile(workspace.filePath("in.csv"), bytes));
        CsvFile file;
        QString error;
        QVERIFY(!readCsvFile(workspace.filePath("in.csv"), TextEncoding::Automatic, &file, &error));
        QVERIFY(!error.isEmpty());
    }

    void gb18030FileImportsLikeItsUtf8Twin()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(writeFile(workspace.filePath("twin.csv"), badRowsFile.toUtf8()));
        QVERIFY(writeFile(workspace.filePath("in.csv"), bytes));
        QCOMPARE(runImport(planFile(PersonTable::Helpers, workspace.filePath("twin.csv")), false)
                     .imported,
                 2);
        const QList<QStringList> expected = storedPeople(PersonTable::Helpers);
        QVERIFY(execSql("DELETE FROM helpers"));
        const ImportPlan plan =
            planFile(PersonTable::Helpers, workspace.filePath("in.csv"), TextEncoding(encoding));
        QCOMPARE(runImport(plan, false).outcome, ImportResult::Done);
        QCOMPARE(storedPeople(PersonTable::Helpers), expected);
    }

    void cancelledOrFailedImportWritesNothing_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("cancelled") << true;
        QTest::newRow("failed insert") << false;
    }
    void cancelledOrFailedImportWritesNothing()
    {
        QFETCH(bool, cancel);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(addAwkwardPeople(PersonTable::Customers, 1000));
        QVERIFY(exportList(exportSource(ExportList::Prospects), workspace.filePath("all.csv"))
                    .outcome == ExportResult::Done);
        QVERIFY(execSql("DELETE FROM customers"));
        const ImportPlan plan = planFile(PersonTable::Customers, workspace.filePath("all.csv"));
        WarningRecorder warnings;
        if (!cancel) // the 700th insert breaks
            QVERIFY(execSql("CREATE TRIGGER refuse BEFORE INSERT ON customers WHEN "
                            "(SELECT count(*) FROM customers) >= 699 BEGIN "
                            "SELECT RAISE(ABORT, 'disk full'); END"));
        qint64 calls = 0;
        const ImportResult result = runImport(plan, false, [&](qint64 done, qint64) {
            ++calls;
            return !cancel || done < 600;
        });
        QCOMPARE(result.outcome, cancel ? ImportResult::Cancelled : ImportResult::Failed);
        QVERIFY(calls > 0);
        QCOMPARE(queryValue("SELECT count(*) FROM customers").toInt(), 0);
        QCOMPARE(warnings.count(), cancel ? 0 : 1);
    }

    void cancelledExportLeavesTheOldFile()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(addAwkwardPeople(PersonTable::Helpers, 1200));
        for (const QString name : {"old.xlsx", "old.csv"}) {
            QVERIFY(writeFile(workspace.filePath(name), "old"));
            const ExportResult result =
                exportList(exportSource(ExportList::Recruits), workspace.filePath(name),
                           [](qint64 done, qint64) { return done < 1000; });
            QCOMPARE(result.outcome, ExportResult::Cancelled);
            QFile file(workspace.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("old"));
        }
        QCOMPARE(QDir(workspace.path()).entryList({"*.part", "*.xlsx.*", "*.csv.*"}),
                 QStringList());
    }

    void hundredThousandProspectsExportQuickly()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(execSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i "
                        "< 100000) INSERT INTO customers(name, sex, birth_date, phone_number, "
                        "home_address, home_tel, company_name, office, is_contact, user_type) "
                        "SELECT '5byg5LiJ', i % 2, '1980-01-01', '138' || i, '北京', '', "
                        "'5YWs5Y+4', '经理', 0, 1 FROM n"));
        QElapsedTimer timer;
        timer.start();
        const ExportResult result =
            exportList(exportSource(ExportList::Prospects), workspace.filePath("all.xlsx"));
        QCOMPARE(result.rows, 100000);
        QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
        const QList<QStringList> rows = xlsxRows(workspace.filePath("all.xlsx"));
        QCOMPARE(rows.size(), 100001);
        QCOMPARE(rows.last().mid(0, 3), QStringList({"100000", "张三", "女"}));
    }

    void commandLineRoundTripKeepsEveryRow_data()
    {
        QTest::addColumn<int>("table");
        QTest::newRow("prospects") << int(PersonTable::Customers);
        QTest::newRow("recruits") << int(PersonTable::Helpers);
    }
    void commandLineRoundTripKeepsEveryRow()
    {
        QFETCH(int, table);
        const auto kind = PersonTable(table);
        const QString list = kind == PersonTable::Customers ? "prospects" : "recruits";
        QList<QStringList> original;
        TestWorkspace source;
        QVERIFY(source.openDatabase());
        QVERIFY(addAwkwardPeople(kind, 1000));
        original = storedPeople(kind);
        source.closeDatabase();
        QString output;
        QCOMPARE(runProgram({"--export", list, "out.csv"}, &output), 0);
        QCOMPARE(output.trimmed(), QString("已导出 1000 条到 out.csv"));
        QCOMPARE(runProgram({"--export", list, "out.xlsx"}), 0);
        QCOMPARE(xlsxRows(source.filePath("out.xlsx")), csvRows(source.filePath("out.csv")));

        TestWorkspace target;
        QVERIFY(QFile::copy(source.filePath("out.csv"), target.filePath("in.csv")));
        QVERIFY(target.openDatabase());
        target.closeDatabase();
        QString errors;
        QCOMPARE(runProgram({"--import", list, "in.csv"}, &output, &errors), 0);
        QCOMPARE(output.trimmed(), QString("导入 1000 条, 跳过 0 条"));
        QCOMPARE(errors, QString());
        QVERIFY(target.openDatabase());
        QCOMPARE(storedPeople(kind), original);
        target.closeDatabase();

        // A second import finds every number taken, unless duplicates are allowed.
        QCOMPARE(runProgram({"--import", list, "in.csv"}, &output, &errors), 0);
        QCOMPARE(output.trimmed(), QString("导入 0 条, 跳过 1000 条"));
        QVERIFY(errors.startsWith(QString("第 2 行: 号码重复: %1 张0\"引号\" (13800000000)\n")
                                      .arg(kind == PersonTable::Customers ? "准客户" : "准增员")));
        QCOMPARE(runProgram({"--import", list, "in.csv", "--allow-duplicates"}, &output), 0);
        QCOMPARE(output.trimmed(), QString("导入 1000 条, 跳过 0 条"));
    }

    void commandLineExitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("dataFile");
        QTest::addColumn<int>("code");
        QTest::newRow("help") << QStringList{"--help"} << false << 0;
        QTest::newRow("unknown list") << QStringList{"--export", "people", "a.csv"} << true << 2;
        QTest::newRow("unknown suffix") << QStringList{"--export", "team", "a.txt"} << true << 2;
        QTest::newRow("import of orders")
            << QStringList{"--import", "orders", "a.csv"} << true << 2;
        QTest::newRow("bad encoding")
            << QStringList{"--import", "prospects", "a.csv", "--encoding", "big5"} << true << 2;
        QTest::newRow("missing file") << QStringList{"--import", "recruits", "no.csv"} << true << 1;
        QTest::newRow("no data file") << QStringList{"--export", "orders", "a.csv"} << false << 1;
        QTest::newRow("orders") << QStringList{"--export", "orders", "a.xlsx"} << true << 0;
        QTest::newRow("unknown option") << QStringList{"--bogus"} << true << 2;
    }
    void commandLineExitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, dataFile);
        QFETCH(int, code);
        TestWorkspace workspace;
        if (dataFile) {
            QVERIFY(workspace.openDatabase());
            workspace.closeDatabase();
        }
        QString output, errors;
        QCOMPARE(runProgram(arguments, &output, &errors), code);
        QCOMPARE(output.isEmpty(), code != 0);
        QCOMPARE(errors.contains("用法"), code == 2);
        // Nothing creates a data file where there was none.
        QCOMPARE(QFile::exists(workspace.filePath("mwdb.dat")), dataFile);
    }

    // The duplicate check guards the write: an import planned before another
    // one (a second window, a script) stored the same numbers skips them.
    void concurrentImportsStoreEachNumberOnce_data()
    {
        QTest::addColumn<bool>("otherProcess");
        QTest::newRow("second window") << false;
        QTest::newRow("command line") << true;
    }
    void concurrentImportsStoreEachNumberOnce()
    {
        QFETCH(bool, otherProcess);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(addAwkwardPeople(PersonTable::Customers, 300));
        const QString path = workspace.filePath("all.csv");
        QVERIFY(exportList(exportSource(ExportList::Prospects), path).outcome ==
                ExportResult::Done);
        QVERIFY(execSql("DELETE FROM customers"));
        const ImportPlan late = planFile(PersonTable::Customers, path);
        if (otherProcess)
            QCOMPARE(runProgram({"--import", "prospects", "all.csv"}), 0);
        else
            QCOMPARE(runImport(planFile(PersonTable::Customers, path), false).imported, 300);
        const ImportResult result = runImport(late, false);
        QCOMPARE(result.imported, 0);
        QCOMPARE(skippedLines(result).size(), 300);
        QVERIFY(skippedLines(result).constFirst().startsWith("第 2 行: 号码重复: 准客户 张0"));
        QCOMPARE(queryValue("SELECT count(*) FROM customers").toInt(), 300);
    }

    void formulaCellsRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("guarded");
        for (const char *text : {"=cmd|' /C calc'!A0", "+1+1", "-x", "@SUM(A1)", "\t=1", "\r=1",
                                 "-", "'=1", "''+1"})
            QTest::newRow(text) << QString(text) << true;
        for (const char *text : {"+86 138-0000-0007", "(010) 8888-1234", "-5", "'-5", "'text",
                                 "a=b", "'"})
            QTest::newRow(text) << QString(text) << false;
    }
    void formulaCellsRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(bool, guarded);
        const QString line = csvLine({text, "x"});
        const QString guard = "'" + text.left(1); // before the text, in quotes or not
        QCOMPARE(line.startsWith(guard) || line.startsWith('"' + guard), guarded);
        TestWorkspace workspace;
        QVERIFY(writeFile(workspace.filePath("in.csv"), line.toUtf8()));
        const QList<QStringList> rows = csvRows(workspace.filePath("in.csv"));
        QCOMPARE(rows, QList<QStringList>() << (QStringList() << text << "x"));
    }

    // Only regular files of a sane size; the reader holds a chunk and a record
    // at most, and an unclosed quote is named by its line.
    void unusableFilesAreRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message"); // empty: read to the end
        QTest::newRow("fifo") << "fifo" << "不是普通文件";
        QTest::newRow("folder") << "folder" << "不是普通文件";
        QTest::newRow("oversized") << "oversized" << "大于 512 MB";
        QTest::newRow("unclosed quote") << "quote" << "第 3 行的引号没有结束";
        QTest::newRow("long cell") << "cell" << "第 2 行有超过 32767 个字符的单元格";
        QTest::newRow("many rows") << "rows" << "";
    }
    void unusableFilesAreRefused()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        TestWorkspace workspace;
        const QString path = workspace.filePath("in.csv");
        QByteArray rows = "姓名,电话\n张三,1\n";
        for (int n = 0; n < 100000; ++n)
            rows += "李四,13800000000\n";
        if (kind == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else if (kind == "oversized") // sparse: no disk is filled
            QVERIFY(writeFile(path, rows) && QFile(path).resize(CsvReader::sizeLimit + 1));
        else // the quote opens the phone of line 3, the long cell ends line 2
            QVERIFY(writeFile(path, kind == "quote"  ? rows.insert(30, '"')
                                    : kind == "cell" ? rows.insert(22, 40000, 'x')
                                                     : rows));
        CsvFile file;
        QString error;
        QCOMPARE(readCsvFile(path, TextEncoding::Automatic, &file, &error), message.isEmpty());
        QVERIFY2(error.contains(message), qPrintable(error));
        CsvReader reader;
        CsvRecord record;
        for (bool open = reader.open(path, TextEncoding::Automatic); open && reader.next(&record);) {
        }
        QCOMPARE(reader.error(), error);
        QVERIFY(reader.peakHeld() <= 2 * CsvReader::chunkSize + CsvReader::cellLimit);
    }

    // A message quotes at most 200 characters of a cell or a header line:
    // a header line of megabytes makes no message of megabytes.
    void messagesQuoteAtMost200Characters_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("errors");
        const QString cell(30000, u'长');
        const QString cut = cell.left(200) + u'…';
        const QString line = "第 2 行: ";
        const auto row = [](const char *tag, const QString &file, int code,
                            const QString &errors) {
            QTest::newRow(tag) << file << code << errors;
        };
        row("header of 3 MB without a phone column",
            "姓名," + QStringList(35, cell).join(',') + "\n张三,x\n", 1,
            "请指定电话号码所在的列。 (表头: 姓名, " + cell.left(196) + "…)\n");
        row("sex", "姓名,性别,电话\n张三," + cell + ",139\n", 0,
            line + "性别只能是\"男\"、\"女\"或空: " + cut + "\n");
        row("birth date", "姓名,生日,电话\n张三," + cell + ",139\n", 0,
            line + "生日无法识别或不在 1900-01-01 至今天之间: " + cut + "\n");
        row("phone", "姓名,电话\n张三," + cell + "\n", 0,
            line + "电话号码只能包含数字、空格、+、-和括号: " + cut + "\n");
    }
    void messagesQuoteAtMost200Characters()
    {
        QFETCH(QString, file);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        workspace.closeDatabase();
        QVERIFY(writeFile(workspace.filePath("in.csv"), file.toUtf8()));
        QString errors;
        QTEST(runProgram({"--import", "prospects", "in.csv"}, nullptr, &errors), "code");
        QTEST(errors, "errors");
    }

    // FILE is the one in the folder the command was typed in; a data folder
    // that cannot be used ends the run instead of falling back to that folder.
    void commandLineDataHome_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("blocked"); // a file stands where the data folder belongs
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("prospectsInDataHome");
        const QStringList import = {"--data-home", "--import", "prospects", "in.csv"};
        QTest::newRow("import") << import << false << 0 << 2;
        QTest::newRow("export") << QStringList{"--data-home", "--export", "prospects", "out.csv"}
                                << false << 0 << 1;
        QTest::newRow("folder blocked") << import << true << 1 << -1;
    }
    void commandLineDataHome()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, blocked);
        QFETCH(int, code);
        QFETCH(int, prospectsInDataHome);
        TestWorkspace typedIn;
        QVERIFY(writeFile(typedIn.filePath("in.csv"), "姓名,电话\n张三,13800000001\n"));
        QVERIFY(typedIn.openDatabase());
        QVERIFY(addCustomer("李四", 1, "1900-01-01", "13900000000", "", "", "", ""));
        typedIn.closeDatabase();
        QTemporaryDir xdg;
        const QString home = xdg.filePath("CallLedger");
        QVERIFY(blocked ? writeFile(home, "x") : QDir().mkdir(home));
        QVERIFY(blocked || QFile::copy(typedIn.filePath("mwdb.dat"), home + "/mwdb.dat"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(xdg.path()));
        QString errors;
        const int exitCode = runProgram(arguments, nullptr, &errors);
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(exitCode, code);
        QCOMPARE(errors.contains(home), blocked);
        const auto prospects = [](const QString &path) { // -1: no data file
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", path);
            db.setDatabaseName(path);
            QSqlQuery query(QFile::exists(path) && db.open() ? "SELECT count(*) FROM customers" : "",
                            db);
            return query.next() ? query.value(0).toInt() : -1;
        };
        QCOMPARE(prospects(typedIn.filePath("mwdb.dat")), 1);
        QCOMPARE(prospects(home + "/mwdb.dat"), prospectsInDataHome);
        QCOMPARE(QFile::exists(typedIn.filePath("out.csv")), arguments.contains("out.csv"));
    }
};

CALLLEDGER_TEST_MAIN(TestExchange, QCoreApplication)
#include "tst_exchange.moc"
