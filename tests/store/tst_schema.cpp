#include "store/database.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "support/warningrecorder.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void firstStartCreatesTablesAndScripts()
    {
        TestWorkspace workspace;
        WarningRecorder warnings;
        QVERIFY(workspace.openDatabase());
        QCOMPARE(warnings.count(), 0);
        QVERIFY(QFile::exists(workspace.filePath("mwdb.dat")));
        // Personal data: the owner alone may read the file.
        const QFileDevice::Permissions perms = QFile::permissions(workspace.filePath("mwdb.dat"));
        QVERIFY(perms.testFlag(QFileDevice::ReadOwner) && perms.testFlag(QFileDevice::WriteOwner));
        QVERIFY(!(perms & (QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                           QFileDevice::ReadOther | QFileDevice::WriteOther)));

        QStringList tables = QSqlDatabase::database().tables(QSql::Tables);
        tables.removeAll("sqlite_sequence"); // SQLite's own bookkeeping for AUTOINCREMENT
        // The trigram indexes' own tables.
        tables.removeIf([](const QString &t) { return t.contains(QRegularExpression("_grams_")); });
        tables.sort();
        QCOMPARE(tables,
                 QStringList({"account", "contact_due", "contact_durations", "contact_orphans",
                              "contact_outcomes", "contact_recordings", "customer_kinsfolk",
                              "customers", "customers_contact_track", "customers_orders",
                              "customers_tel_logs", "helpers", "helpers_contact_track",
                              "helpers_tel_logs", "missed_calls", "name_backlog",
                              "pending_calls", "phone_key_backlog", "phone_keys", "phoneskills",
                              "products", "prospect_name_grams", "prospect_phone_grams",
                              "recruit_name_grams", "recruit_phone_grams", "side_index_state",
                              "stat_funnel", "stat_outcomes", "stat_people", "stat_slots",
                              "teammate_earning_report", "teammate_task"}));

        // The stored creation statements carry the declared types exactly as written.
        const QList<QPair<QString, QString>> statements = {
            {"customers",
             "id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL, sex INTEGER NOT NULL, "
             "birth_date TEXT NOT NULL, phone_number TEXT NOT NULL, home_address TEXT, "
             "home_tel TEXT, company_name TEXT, office TEXT, is_contact INTEGER NOT NULL, "
             "user_type INTEGER NOT NULL, server_customer_id INTEGER"},
            {"customer_kinsfolk",
             "id INTEGER PRIMARY KEY AUTOINCREMENT, customer_id INTEGER NOT NULL, "
             "relation nvarchar(50) NOT NULL, name nvarchar(50) NOT NULL, sex int NOT NULL, "
             "birth_date nvarchar(20) NOT NULL, phone_number nvarchar(20), "
             "company_name nvarchar(50), office nvarchar(20)"},
            {"products", "id nvarchar(50) PRIMARY KEY, name nvarchar(50) NOT NULL, "
                         "introduce nvarchar(500) NOT NULL"},
            {"customers_orders",
             "id INTEGER PRIMARY KEY AUTOINCREMENT, customer_id INTEGER NOT NULL, "
             "add_time INTEGER NOT NULL, product_id nvarchar(50) NOT NULL, "
             "amount INTEGER NOT NULL, money INTEGER NOT NULL, memo NVARCHAR(100)"},
            {"customers_tel_logs",
             "id INTEGER PRIMARY KEY AUTOINCREMENT, customer_id INTEGER NOT NULL, "
             "add_time INTEGER NOT NULL, contact_type INTEGER NOT NULL, "
             "content nvarchar(500) NOT NULL, next_contact_time INTEGER NOT NULL, "
             "next_contact_type INTEGER NOT NULL"},
            {"customers_contact_track",
             "id INTEGER PRIMARY KEY AUTOINCREMENT, customer_id INTEGER NOT NULL, "
             "contact_time INTEGER NOT NULL, contact_state INTEGER NOT NULL"},
            {"helpers",
             "id INTEGER PRIMARY KEY AUTOINCREMENT, name nvarchar(50) NOT NULL, sex int NOT NULL, "
             "birth_date nvarchar(20) NOT NULL, phone_number nvarchar(20) NOT NULL, "
             "home_address nvarchar(100), home_tel nvarchar(20), company_name nvarchar(50), "
             "office nvarchar(20), is_contact int NOT NULL, user_type int NOT NULL"},
            {"helpers_tel_logs",
             "id INTEGER PRIMARY KEY AUTOINCREMENT, helper_id INTEGER NOT NULL, "
             "add_time INTEGER NOT NULL, contact_type INTEGER NOT NULL, "
             "content nvarchar(500) NOT NULL, next_contact_time INTEGER NOT NULL, "
             "next_contact_type INTEGER NOT NULL"},
            {"helpers_contact_track",
             "id INTEGER PRIMARY KEY AUTOINCREMENT, helper_id INTEGER NOT NULL, "
             "contact_time INTEGER NOT NULL, contact_state INTEGER NOT NULL"},
            {"phoneskills", "id INTEGER PRIMARY KEY AUTOINCREMENT, type INTEGER NOT NULL, "
                            "category nvarchar(100) NOT NULL, content TEXT NOT NULL"},
            {"teammate_task",
             "id INTEGER PRIMARY KEY AUTOINCREMENT, helper_id INTEGER NOT NULL, "
             "year INTEGER NOT NULL, begin_date INTEGER NOT NULL, money INTEGER NOT NULL, "
             "helper_count INTEGER NOT NULL"},
            {"teammate_earning_report",
             "id INTEGER PRIMARY KEY AUTOINCREMENT, helper_id INTEGER NOT NULL, "
             "report_time INTEGER NOT NULL, money INTEGER NOT NULL, "
             "helper_count INTEGER NOT NULL, memo NVARCHAR(50)"},
            {"account", "id INTEGER PRIMARY KEY AUTOINCREMENT, userName nvarchar(50) NOT NULL, "
                        "password nvarchar(20) NOT NULL"},
        };
        for (const auto &[table, columns] : statements) {
            QCOMPARE(queryValue("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = '" +
                                table + "'")
                         .toString(),
                     "CREATE TABLE " // SQLite upper-cases the leading keywords
                         + table + " (" + columns + ")");
        }

        QSqlQuery scripts;
        QVERIFY(scripts.exec("SELECT id, type, category, content FROM phoneskills ORDER BY id"));
        int expectedId = 1;
        while (scripts.next()) {
            QCOMPARE(scripts.value(0).toInt(), expectedId++);
            QCOMPARE(scripts.value(1).toInt(), 1);
            const QString content = scripts.value(3).toString();
            QVERIFY2(content.contains("X先生"), qPrintable(content));
            QVERIFY2(content.size() >= 35 && content.size() <= 140, qPrintable(content));
        }
        QCOMPARE(expectedId, 15);
        QCOMPARE(queryValue("SELECT category FROM phoneskills WHERE id = 1").toString(),
                 QString("你要约是不是叫我买保险？"));
        QCOMPARE(queryValue("SELECT category FROM phoneskills WHERE id = 14").toString(),
                 QString("我要出差"));
    }

    void secondStartKeepsTablesAndDoesNotReseed()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(execSql("DELETE FROM phoneskills"));
        QVERIFY(execSql("INSERT INTO products VALUES ('P1', 'n', 'i')"));
        workspace.closeDatabase();

        WarningRecorder warnings;
        QVERIFY(workspace.openDatabase());
        QCOMPARE(warnings.count(), 0);
        QCOMPARE(queryValue("SELECT count(*) FROM phoneskills").toInt(), 0);
        QCOMPARE(queryValue("SELECT count(*) FROM products").toInt(), 1);
    }

    void missingTableIsCreatedOthersUntouched()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(execSql("DROP TABLE account"));
        QVERIFY(execSql("INSERT INTO phoneskills(type, category, content) VALUES (2, 'c', 'x')"));
        workspace.closeDatabase();

        QVERIFY(workspace.openDatabase());
        QVERIFY(QSqlDatabase::database().tables().contains("account"));
        QCOMPARE(queryValue("SELECT count(*) FROM phoneskills").toInt(), 15);
    }

    void notADatabaseIsRefusedAndLeftAlone()
    {
        TestWorkspace workspace;
        QByteArray junk;
        for (int i = 0; i < 4096; ++i)
            junk.append(char((i * 7919 + 13) % 251));
        {
            QFile file(workspace.filePath("mwdb.dat"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(junk);
        }
        WarningRecorder warnings;
        QVERIFY(!workspace.openDatabase());
        QCOMPARE(warnings.count(), 1);
        QCOMPARE(warnings.warnings().first().title, QString("数据库错误"));
        QVERIFY(!warnings.warnings().first().text.isEmpty());
        workspace.closeDatabase();
        QFile file(workspace.filePath("mwdb.dat"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), junk);
    }

    void tableThatCannotBeCreatedStopsAtThatTable()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        // A view by the table's name is not a table, so creation is tried and fails.
        QVERIFY(execSql("DROP TABLE products"));
        QVERIFY(execSql("DROP TABLE customers_orders"));
        QVERIFY(execSql("CREATE VIEW products AS SELECT 1 AS id"));
        workspace.closeDatabase();

        WarningRecorder warnings;
        QVERIFY(!workspace.openDatabase());
        QCOMPARE(warnings.count(), 1);
        QCOMPARE(warnings.warnings().first().title, QString("创建表错误"));
        QVERIFY(!QSqlDatabase::database().tables().contains("customers_orders"));
    }

    void lastInsertIdFollowsInserts()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(execSql("INSERT INTO helpers(name, sex, birth_date, phone_number, is_contact, "
                        "user_type) VALUES ('a', 0, '1900-01-01', '1', 0, 1)"));
        QCOMPARE(lastInsertId(), queryValue("SELECT max(id) FROM helpers").toLongLong());
    }

    void decodeNameFunctionIsRegistered()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const QString encoded = QString::fromLatin1(QString("张三").toUtf8().toBase64());
        QCOMPARE(queryValue("SELECT decode_name('" + encoded + "')").toString(), QString("张三"));
        QVERIFY(queryValue("SELECT decode_name(NULL)").isNull());
    }
};

CALLLEDGER_TEST_MAIN(TestSchema, QCoreApplication)
#include "tst_schema.moc"
