#include "app/backupdialog.h"
#include "app/systemsetdialog.h"
#include "common/appsettings.h"
#include "common/dateutils.h"
#include "store/customerstore.h"
#include "store/snapshots.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QApplication>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

namespace {
QSettings storedSettings()
{
    return QSettings(QString::fromLatin1(settingsScope), QString::fromLatin1(settingsScope));
}

// keyClicks cannot type Chinese; an input-method commit is what a real IME sends.
void typeText(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
}

void storeAll(int customers, int helpers, bool holiday, bool talkSkill, const QString &region)
{
    QSettings settings = storedSettings();
    settings.setValue("customersCount", customers);
    settings.setValue("helpersCount", helpers);
    settings.setValue("holidayRemind", holiday);
    settings.setValue("talkSkillRemind", talkSkill);
    settings.setValue("region", region);
    settings.sync();
}

struct Snapshot
{
    int customers;
    int helpers;
    bool holiday;
    bool talkSkill;
    QString region;
    bool operator==(const Snapshot &other) const
    {
        return customers == other.customers && helpers == other.helpers &&
               holiday == other.holiday && talkSkill == other.talkSkill && region == other.region;
    }
};

Snapshot snapshotOf(const AppSettings &s)
{
    return {s.customersCount(), s.helpersCount(), s.holidayRemind(), s.talkSkillRemind(),
            s.region()};
}

Snapshot storedSnapshot()
{
    AppSettings loaded;
    loadSettings(loaded);
    return snapshotOf(loaded);
}

// On the indicator: the check box may be stretched wider than its text.
void clickCheckBox(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

template <typename T> T *child(QWidget &parent, const char *name)
{
    T *widget = parent.findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("missing widget %s", name);
    return widget;
}
} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void firstLoadGivesDefaults()
    {
        TestWorkspace workspace;
        AppSettings settings;
        settings.setCustomersCount(5);
        settings.setHelpersCount(6);
        settings.setHolidayRemind(true);
        settings.setTalkSkillRemind(true);
        settings.setRegion(QStringLiteral("上海"));
        loadSettings(settings);
        QCOMPARE(settings.customersCount(), 20);
        QCOMPARE(settings.helpersCount(), 20);
        QCOMPARE(settings.holidayRemind(), false);
        QCOMPARE(settings.talkSkillRemind(), false);
        QCOMPARE(settings.region(), QString());
    }

    void storedValuesLoadAndJunkReadsAsZero()
    {
        TestWorkspace workspace;
        storeAll(7, 0, true, true, QStringLiteral("广州"));
        QVERIFY((storedSnapshot() == Snapshot{7, 0, true, true, QStringLiteral("广州")}));

        QSettings settings = storedSettings();
        settings.setValue("customersCount", QStringLiteral("abc"));
        settings.setValue("helpersCount", QStringLiteral("12"));
        settings.sync();
        const Snapshot loaded = storedSnapshot();
        QCOMPARE(loaded.customers, 0);
        QCOMPARE(loaded.helpers, 12);
        QCOMPARE(loaded.region, QStringLiteral("广州"));
    }

    void dialogShowsCurrentSettings()
    {
        TestWorkspace workspace;
        MessageRecorder messages;
        appSettings.setCustomersCount(33);
        appSettings.setHelpersCount(4);
        appSettings.setTalkSkillRemind(true);
        appSettings.setHolidayRemind(true);
        appSettings.setRegion(QStringLiteral("深圳"));
        SystemSetDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("系统设置"));
        QCOMPARE(child<QSpinBox>(dialog, "spinBoxCustomersCount")->value(), 33);
        QCOMPARE(child<QSpinBox>(dialog, "spinBoxHelperCount")->value(), 4);
        QVERIFY(child<QCheckBox>(dialog, "checkBoxTalkSkillRemind")->isChecked());
        QVERIFY(child<QCheckBox>(dialog, "checkBoxHolidayRemind")->isChecked());
        QCOMPARE(child<QLineEdit>(dialog, "lineEditRegion")->text(), QStringLiteral("深圳"));
        QCOMPARE(messages.count(), 0);
    }

    void spinBoxesAllowZeroToNinetyNine()
    {
        TestWorkspace workspace;
        SystemSetDialog dialog;
        for (const char *name : {"spinBoxCustomersCount", "spinBoxHelperCount"}) {
            QSpinBox *box = child<QSpinBox>(dialog, name);
            QCOMPARE(box->minimum(), 0);
            QCOMPARE(box->maximum(), 99);
            box->setValue(150);
            QCOMPARE(box->value(), 99);
            box->setValue(-3);
            QCOMPARE(box->value(), 0);
        }
    }

    void snapshotsKeptRangesOverAYearAndIsStored()
    {
        TestWorkspace workspace;
        SystemSetDialog dialog;
        QSpinBox *box = child<QSpinBox>(dialog, "spinBoxSnapshotsKept");
        QCOMPARE(box->value(), 14);
        box->setValue(0);
        QCOMPARE(box->value(), 1);
        box->setValue(400);
        QCOMPARE(box->value(), 365);
        box->setValue(30);
        QTest::mouseClick(child<QPushButton>(dialog, "pushButtonOk"), Qt::LeftButton);
        QCOMPARE(appSettings.snapshotsKept(), 30);
        QCOMPARE(storedSettings().value("snapshotsKept").toInt(), 30);
        appSettings = AppSettings();
        loadSettings(appSettings);
        QCOMPARE(appSettings.snapshotsKept(), 30);
    }

    void contactAlertsCanBeSwitchedOffAndLeadZeroToSixty()
    {
        TestWorkspace workspace;
        SystemSetDialog dialog;
        dialog.show();
        QSpinBox *lead = child<QSpinBox>(dialog, "spinBoxContactAlertMinutes");
        QCOMPARE(lead->value(), 5);
        QCOMPARE(lead->maximum(), 60);
        lead->setValue(0);
        clickCheckBox(child<QCheckBox>(dialog, "checkBoxContactAlert"));
        QVERIFY(!lead->isEnabled());
        // The version check at start-up switches off here as well.
        QVERIFY(child<QCheckBox>(dialog, "checkBoxCheckNewVersion")->isChecked());
        clickCheckBox(child<QCheckBox>(dialog, "checkBoxCheckNewVersion"));
        QTest::mouseClick(child<QPushButton>(dialog, "pushButtonOk"), Qt::LeftButton);
        QVERIFY(!desktopSetting(DesktopSetting::checkForUpdates, true).toBool());
        appSettings = AppSettings();
        loadSettings(appSettings);
        QVERIFY(!appSettings.contactAlerts());
        QCOMPARE(appSettings.contactAlertMinutes(), 0);
    }

    void okStoresTrimmedRegionAndValues()
    {
        TestWorkspace workspace;
        MessageRecorder messages;
        SystemSetDialog dialog;
        dialog.show();
        typeText(child<QLineEdit>(dialog, "lineEditRegion"), QStringLiteral("  北京  "));
        QCOMPARE(child<QLineEdit>(dialog, "lineEditRegion")->text(), QStringLiteral("  北京  "));
        child<QSpinBox>(dialog, "spinBoxCustomersCount")->setValue(0);
        child<QSpinBox>(dialog, "spinBoxHelperCount")->setValue(99);
        clickCheckBox(child<QCheckBox>(dialog, "checkBoxTalkSkillRemind"));
        QVERIFY(child<QCheckBox>(dialog, "checkBoxTalkSkillRemind")->isChecked());
        QTest::mouseClick(child<QPushButton>(dialog, "pushButtonOk"), Qt::LeftButton);

        QVERIFY(!dialog.isVisible());
        const Snapshot expected{0, 99, false, true, QStringLiteral("北京")};
        QVERIFY(snapshotOf(appSettings) == expected);
        QVERIFY(storedSnapshot() == expected);
        QCOMPARE(storedSettings().value("region").toString(), QStringLiteral("北京"));

        SystemSetDialog again;
        QCOMPARE(child<QLineEdit>(again, "lineEditRegion")->text(), QStringLiteral("北京"));
        QCOMPARE(child<QSpinBox>(again, "spinBoxHelperCount")->value(), 99);
        QCOMPARE(messages.count(), 0);
    }

    void holidaySwitchKeepsItsValue_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }

    void holidaySwitchKeepsItsValue()
    {
        QFETCH(bool, stored);
        TestWorkspace workspace;
        storeAll(20, 20, stored, false, QString());
        loadSettings(appSettings);
        SystemSetDialog dialog;
        dialog.show();
        QCheckBox *holiday = child<QCheckBox>(dialog, "checkBoxHolidayRemind");
        QVERIFY(!holiday->isEnabled());
        QCOMPARE(holiday->isChecked(), stored);
        clickCheckBox(holiday);
        QCOMPARE(holiday->isChecked(), stored);
        QTest::mouseClick(child<QPushButton>(dialog, "pushButtonOk"), Qt::LeftButton);
        QCOMPARE(appSettings.holidayRemind(), stored);
        QCOMPARE(storedSettings().value("holidayRemind").toBool(), stored);
    }

    void cancelChangesNothing()
    {
        TestWorkspace workspace;
        MessageRecorder messages;
        storeAll(12, 13, false, true, QStringLiteral("杭州"));
        loadSettings(appSettings);
        const Snapshot before = snapshotOf(appSettings);

        SystemSetDialog dialog;
        dialog.show();
        typeText(child<QLineEdit>(dialog, "lineEditRegion"), QStringLiteral("南京"));
        child<QSpinBox>(dialog, "spinBoxCustomersCount")->setValue(50);
        child<QSpinBox>(dialog, "spinBoxHelperCount")->setValue(1);
        clickCheckBox(child<QCheckBox>(dialog, "checkBoxTalkSkillRemind"));
        QVERIFY(!child<QCheckBox>(dialog, "checkBoxTalkSkillRemind")->isChecked());
        QTest::mouseClick(child<QPushButton>(dialog, "pushButtonCancel"), Qt::LeftButton);

        QVERIFY(!dialog.isVisible());
        QVERIFY(snapshotOf(appSettings) == before);
        QVERIFY(storedSnapshot() == before);
        QCOMPARE(messages.count(), 0);
    }

    // The middle of three snapshots (0, 1, 2 prospects) restored twice within
    // one second: each restore lists its safety copy on top without moving
    // the choice, and the message names the snapshot restored.
    void restoreKeepsItsSnapshotChosen()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        MessageRecorder messages;
        for (int day = 1; day <= 3; ++day) {
            SnapshotJob job;
            QVERIFY(day == 1 ||
                    addCustomer("张三", 1, "1980-01-01", "13800000001", {}, {}, {}, {}));
            QVERIFY(job.begin(QDateTime(QDate(2026, 3, day), QTime(9, 0))) && job.runToEnd());
        }
        // An empty SQLite file of nobody's, named like the oldest snapshot.
        QVERIFY(QFile(snapshotFolder() + "/mwdb-20260201-090000.dat").open(QIODevice::WriteOnly));
        Clock::setFixedNow(QDateTime(QDate(2026, 3, 7), QTime(10, 0)));
        BackupDialog dialog;
        auto *table = dialog.findChild<QTableWidget *>("tableWidgetSnapshots");
        table->selectRow(3);
        QCOMPARE(table->item(3, 0)->text(), "2026-02-01 09:00:00 (不是本程序的备份)");
        QVERIFY(!dialog.findChild<QPushButton *>("pushButtonRestore")->isEnabled());
        table->selectRow(1);
        for (int restore = 1; restore <= 2; ++restore) {
            messages.answerNext(QMessageBox::Yes);
            dialog.findChild<QPushButton *>("pushButtonRestore")->click();
            QCOMPARE(messages.last().text,
                     "数据已恢复到 2026-03-02 09:00:00 的状态。\n恢复前的数据保存在 " +
                         table->item(0, 0)->data(Qt::UserRole).toString());
            QCOMPARE(table->rowCount(), 4 + restore);
            QCOMPARE(table->item(table->currentRow(), 0)->text(), "2026-03-02 09:00:00");
            QCOMPARE(queryValue("SELECT count(*) FROM customers").toInt(), 1);
        }
        Clock::setFixedNow(QDateTime());
    }
};

CALLLEDGER_TEST_MAIN(TestSettings, QApplication)
#include "tst_settings.moc"
