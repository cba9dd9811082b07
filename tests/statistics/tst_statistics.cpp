#include "common/appsettings.h"
#include "common/dateutils.h"
#include "exchange/csvtext.h"
#include "statistics/statisticsdialog.h"
#include "store/statisticsstore.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "widgets/filechooser.h"

#include <QAbstractBarSeries>
#include <QApplication>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QLabel>
#include <QLineSeries>
#include <QSqlDatabase>
#include <QStandardItemModel>

namespace {
qint64 at(const QDate &day, const QTime &time)
{
    return QDateTime(day, time).toSecsSinceEpoch();
}

const QTime lastSecond(23, 59, 59);
const QTime midnight(0, 0, 0);

bool seed(const QString &table, const QString &columns, const QList<QVariantList> &rows)
{
    for (const QVariantList &row : rows) {
        QStringList values;
        for (const QVariant &value : row)
            values << (value.typeId() == QMetaType::QString ? "'" + value.toString() + "'"
                                                            : QString::number(value.toLongLong()));
        if (!execSql(QStringLiteral("INSERT INTO %1(%2) VALUES (%3)")
                         .arg(table, columns, values.join(','))))
            return false;
    }
    return true;
}

// The rows that hold a value, "label=v1,v2;...": a day without calls is no news.
QString render(const StatTable &table, int dataColumns)
{
    QStringList rows;
    for (int row = 0; row < table.rows.size(); ++row) {
        if (!StatTable{{}, {}, {table.rows.at(row)}}.hasData(dataColumns))
            continue;
        QStringList values;
        for (qint64 value : table.rows.at(row))
            values << QString::number(value);
        rows << table.labels.at(row) + '=' + values.join(',');
    }
    return rows.join(';');
}
} // namespace

class StatisticsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        workspace = std::make_unique<TestWorkspace>();
        QVERIFY(workspace->openDatabase());
        Clock::setFixedNow(QDateTime(QDate(2024, 3, 15), QTime(12, 0)));
        appSettings.setCustomersCount(20);
        appSettings.setHelpersCount(5);
        const QDate leap(2024, 2, 29);
        const QString person = "name, sex, birth_date, phone_number, is_contact, user_type";
        // 1 a customer, 2 abandoned, 3 and 4 active; recruits: 1 a member, 2 an active recruit.
        QVERIFY(seed("customers", person,
                     {{"a", 1, "x", "1", 1, 2},
                      {"b", 1, "x", "2", 1, 0},
                      {"c", 1, "x", "3", 1, 1},
                      {"d", 1, "x", "4", 1, 1}}));
        QVERIFY(
            seed("helpers", person, {{"成员甲", 1, "x", "5", 1, 2}, {"乙", 1, "x", "6", 1, 1}}));
        QVERIFY(seed("customers_contact_track", "customer_id, contact_time, contact_state",
                     {{1, at(leap, midnight), 1},
                      {1, at(leap, QTime(10, 0)), 1}, // first called twice
                      {2, at(leap.addDays(-1), lastSecond), 1},
                      {3, at(leap.addDays(1), midnight), 1},
                      {1, at(leap.addDays(1), QTime(9, 0)), 2},
                      {4, at(QDate(2024, 3, 3), lastSecond), 2}}));
        QVERIFY(seed("customers_tel_logs",
                     "customer_id, add_time, contact_type, content, next_contact_time, "
                     "next_contact_type",
                     {{1, at(QDate(2024, 3, 4), midnight), 2, "", 0, 1},
                      {3, at(leap, QTime(12, 0)), 1, "", 0, 1}}));
        QVERIFY(seed("contact_durations", "kind, log_id, seconds",
                     {{1, 2, 90}, {1, 1, 30}, {2, 2, 600}}));
        QVERIFY(
            seed("contact_outcomes", "kind, log_id, outcome", {{1, 2, "有意向"}, {2, 2, "成交"}}));
        QVERIFY(seed(
            "helpers_contact_track", "helper_id, contact_time, contact_state",
            {{2, at(QDate(2024, 3, 31), lastSecond), 1}, {2, at(QDate(2024, 4, 1), midnight), 1}}));
        QVERIFY(seed("products", "id, name, introduce", {{"P1", "产品一", ""}}));
        const QString order = "customer_id, add_time, product_id, amount, money";
        QVERIFY(seed("customers_orders", order,
                     {{1, at(leap, lastSecond), "P1", 1, Q_INT64_C(3000000000)},
                      {1, at(leap.addDays(1), midnight), "GONE", 1, 500},
                      {1, at(QDate(2024, 3, 5), midnight), "P1", 1, 100}}));
        for (int i = 0; i < 6; ++i)
            QVERIFY(seed(
                "customers_orders", order,
                {{1, at(QDate(2024, 6, 1), midnight), QString(QChar('A' + i)), 1, 60 - 10 * i}}));
        QVERIFY(seed("teammate_task", "helper_id, year, begin_date, money, helper_count",
                     {{1, 2024, at(QDate(2024, 1, 1), midnight), 3650, 0}}));
        QVERIFY(seed("teammate_earning_report", "helper_id, report_time, money, helper_count",
                     {{1, at(QDate(2024, 3, 1), midnight), 700, 0},
                      {1, at(QDate(2023, 12, 31), lastSecond), 9, 0},
                      {1, at(QDate(2024, 3, 16), midnight), 9, 0}}));
    }

    void cleanup()
    {
        Clock::setFixedNow(QDateTime());
        workspace.reset();
    }

    void series_data()
    {
        QTest::addColumn<StatSeries>("series");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<StatPeople>("people");
        QTest::addColumn<QString>("expected");
        const auto P = StatPeople::Prospects;
        const auto R = StatPeople::Recruits;
        const QDate feb28(2024, 2, 28), mar1(2024, 3, 1), mar31(2024, 3, 31);
        QTest::newRow("calls by day: 23:59:59, 00:00:00, leap day")
            << StatSeries::Calls << feb28 << mar1 << P
            << "2024-02-28=1,0,0,20;2024-02-29=2,0,0,20;2024-03-01=1,1,0,20";
        QTest::newRow("calls by week: Monday to Sunday across two months")
            << StatSeries::Calls << QDate(2024, 1, 1) << mar31 << P
            << "2024-02-26~03-03=4,2,0,100;2024-03-04~03-10=0,0,1,100";
        QTest::newRow("recruit calls: the month ends at 23:59:59, a Sunday without quota")
            << StatSeries::Calls << mar1 << mar31 << R << "2024-03-31=1,0,0,0";
        QTest::newRow("funnel: first called twice counts once")
            << StatSeries::Funnel << QDate(2024, 2, 29) << mar31 << P
            << "首次电话=2;再次联系=1;约访=1;成交=1";
        QTest::newRow("funnel: abandoned")
            << StatSeries::Funnel << feb28 << feb28 << P << "首次电话=1;放弃=1";
        QTest::newRow("funnel of recruits")
            << StatSeries::Funnel << mar1 << QDate(2024, 4, 30) << R << "首次电话=1";
        QTest::newRow("orders by month, above 2^31")
            << StatSeries::Orders << QDate(2023, 12, 1) << QDate(2024, 12, 31) << P
            << "2024-02=3000000000,1;2024-03=600,2;2024-06=210,6";
        QTest::newRow("products: a deleted one under its code")
            << StatSeries::Products << feb28 << mar31 << P << "产品一=3000000100,2;GONE=500,1";
        QTest::newRow("products: five and the others")
            << StatSeries::Products << QDate(2024, 6, 1) << QDate(2024, 6, 1) << P
            << "A=60,1;B=50,1;C=40,1;D=30,1;E=20,1;其他=10,1";
        QTest::newRow("talk time in minutes, one at 00:00:00")
            << StatSeries::TalkTime << feb28 << QDate(2024, 3, 4) << P
            << "2024-02-29=2,1;2024-03-04=1,1";
        QTest::newRow("outcomes") << StatSeries::Outcomes << feb28 << mar1 << P << "有意向=1";
        QTest::newRow("team: plan up to today against the year's earnings")
            << StatSeries::Team << feb28 << mar1 << P << "成员甲=3650,740,700";
        QTest::newRow("begin after end") << StatSeries::Calls << mar1 << feb28 << P << "";
    }

    void series()
    {
        QFETCH(StatSeries, series);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(StatPeople, people);
        QFETCH(QString, expected);
        const StatRequest request{from, to, people, people == StatPeople::Prospects ? 20 : 5,
                                  Clock::now().date()};
        QString error;
        const auto table = loadStatistics(series, request, QSqlDatabase::database(), &error);
        QVERIFY2(table, qPrintable(error));
        QCOMPARE(render(*table, series == StatSeries::Calls ? 3 : -1), expected);
    }

    // A team too large for one chart: the 30 largest plans, the rest summed.
    void teamBeyondThirty()
    {
        seedThirtyOneMembers();
        const StatRequest request{
            {2024, 3, 1}, {2024, 3, 1}, StatPeople::Prospects, 0, Clock::now().date()};
        const auto table = loadStatistics(StatSeries::Team, request, QSqlDatabase::database());
        QVERIFY(table);
        QCOMPARE(table->labels.size(), 31);
        QCOMPARE(table->labels.first(), QString("m31"));
        // m1 (10000 a year, 27 a day, 74 days) and 成员甲 (3650, 740, earned 700).
        QCOMPARE(table->labels.last(), QString("其他 2 人"));
        QCOMPARE(table->rows.last(), QList<qint64>({13650, 27 * 74 + 740, 700}));
    }

    // On the chart the summed-up rest would dwarf the named members: it is in the table only.
    void teamChartLeavesTheRestToTheTable()
    {
        seedThirtyOneMembers();
        StatisticsDialog dialog;
        QTRY_VERIFY(dialog.isComplete());
        StatisticsPanel *team = dialog.panel(StatSeries::Team);
        QCOMPARE(team->model()->rowCount(), 31);
        const auto *bars = qobject_cast<QAbstractBarSeries *>(team->chart()->series().first());
        QCOMPARE(bars->barSets().first()->count(), 30);
        QVERIFY(team->chart()->title().endsWith("2024-01-01 至 2024-03-15"));
    }

    void bucket_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<StatBucket>("bucket");
        QTest::newRow("62 days") << 62 << StatBucket::Day;
        QTest::newRow("63 days") << 63 << StatBucket::Week;
        QTest::newRow("53 weeks") << 371 << StatBucket::Week;
        QTest::newRow("a day more") << 372 << StatBucket::Month;
    }

    void bucket()
    {
        QFETCH(int, days);
        QFETCH(StatBucket, bucket);
        const QDate from(2024, 1, 1);
        QCOMPARE(bucketForRange(from, from.addDays(days - 1)), bucket);
    }

    // The window: the table shows the chart's numbers, the exports write them.
    void window()
    {
        MessageRecorder messages;
        StatisticsDialog dialog;
        dialog.show();
        dialog.setRange(QDate(2024, 2, 28), QDate(2024, 6, 1));
        QTRY_VERIFY(dialog.isComplete());
        for (StatSeries series : allStatSeries()) {
            StatisticsPanel *panel = dialog.panel(series);
            QVERIFY2(panel->hasFigures(), qPrintable(panel->messageText()));
            const QStandardItemModel *model = panel->model();
            int compared = 0;
            for (QAbstractSeries *drawn : panel->chart()->series()) {
                QStringList names;
                QList<QList<qreal>> values;
                if (auto *bars = qobject_cast<QAbstractBarSeries *>(drawn)) {
                    for (QBarSet *set : bars->barSets()) {
                        names << set->label();
                        values.append(QList<qreal>());
                        for (int i = 0; i < set->count(); ++i)
                            values.last() << set->at(i);
                    }
                } else if (auto *line = qobject_cast<QLineSeries *>(drawn)) {
                    names << line->name();
                    values.append(QList<qreal>());
                    for (const QPointF &point : line->points())
                        values.last() << point.y();
                }
                for (int s = 0; s < names.size(); ++s) {
                    int column = 0;
                    while (column < model->columnCount() &&
                           model->headerData(column, Qt::Horizontal).toString() != names.at(s))
                        ++column;
                    QVERIFY2(column < model->columnCount(), qPrintable(names.at(s)));
                    QCOMPARE(values.at(s).size(), model->rowCount());
                    for (int row = 0; row < model->rowCount(); ++row, ++compared)
                        QCOMPARE(model->index(row, column).data().toString(),
                                 QString::number(qint64(values.at(s).at(row))));
                }
            }
            QVERIFY(compared > 0);
        }

        // The picture names its period and people; fifteen weeks' bars keep short
        // upright names, as many as fit.
        QChart *calls = dialog.panel(StatSeries::Calls)->chart();
        QVERIFY(calls->title().contains("准客户") &&
                calls->title().endsWith("2024-02-28 至 2024-06-01"));
        auto *weeks = qobject_cast<QCategoryAxis *>(calls->axes(Qt::Horizontal).first());
        QTRY_VERIFY(weeks && weeks->count() > 0 && weeks->count() <= 15);
        QCOMPARE(weeks->categoriesLabels().first(), QString("02-28"));

        // Exports: a PNG and a CSV that reads back as the table.
        StatisticsPanel *orders = dialog.panel(StatSeries::Orders);
        const QString image = workspace->filePath("orders.png");
        FileChooser::answerNext(image);
        orders->exportImage();
        QFile png(image);
        QVERIFY(png.open(QIODevice::ReadOnly));
        QCOMPARE(png.read(8), QByteArray("\x89PNG\r\n\x1a\n"));
        QCOMPARE(png.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        const QString data = workspace->filePath("orders.csv");
        FileChooser::answerNext(data);
        orders->exportData();
        CsvFile csv;
        QString error;
        QVERIFY2(readCsvFile(data, TextEncoding::Automatic, &csv, &error), qPrintable(error));
        QCOMPARE(csv.size(), orders->model()->rowCount() + 1);
        for (int row = 0; row < orders->model()->rowCount(); ++row)
            for (int column = 0; column < orders->model()->columnCount(); ++column)
                QCOMPARE(csv.fields(row + 1).value(column),
                         orders->model()->index(row, column).data().toString());
        QVERIFY(csv.fields(1).contains("3000000500"));

        // No data: words instead of empty axes; begin after end: the reason, no box.
        dialog.setRange(QDate(2025, 1, 1), QDate(2025, 1, 31));
        QTRY_VERIFY(dialog.isComplete());
        QCOMPARE(dialog.panel(StatSeries::Calls)->messageText(), QString("暂无数据"));
        const int boxes = messages.count();
        dialog.setRange(QDate(2025, 1, 2), QDate(2025, 1, 1));
        const QString reason = dialog.findChild<QLabel *>("labelStatus")->text();
        QVERIFY(reason.contains("开始日期晚于结束日期"));
        for (StatSeries series : allStatSeries())
            QCOMPARE(dialog.panel(series)->messageText(), reason);
        // Ten years and more: a century of months kept every tab computing for minutes.
        for (const QDate &to : {QDate(2035, 1, 1), QDate(2099, 12, 31)}) {
            dialog.setRange(QDate(2025, 1, 1), to);
            QCOMPARE(dialog.findChild<QLabel *>("labelStatus")->text(),
                     QString("统计期间不能超过 10 年，请缩短期间。"));
            QCOMPARE(dialog.panel(StatSeries::Orders)->messageText(),
                     QString("统计期间不能超过 10 年，请缩短期间。"));
        }
        QCOMPARE(messages.count(), boxes);
    }

private:
    void seedThirtyOneMembers()
    {
        for (int k = 1; k <= 31; ++k) {
            QVERIFY(seed("helpers", "name, sex, birth_date, phone_number, is_contact, user_type",
                         {{QString("m%1").arg(k), 1, "x", "7", 1, 2}}));
            QVERIFY(seed("teammate_task", "helper_id, year, begin_date, money, helper_count",
                         {{k + 2, 2024, at(QDate(2024, 1, 1), midnight), 10000 * k, 0}}));
        }
    }

    std::unique_ptr<TestWorkspace> workspace;
};

CALLLEDGER_TEST_MAIN(StatisticsTest, QApplication)
#include "tst_statistics.moc"
