#include "prospects/prospectfixtures.h"

#include "app/dateutils.h"
#include "app/mainwindow.h"
#include "app/remindertray.h"
#include "calling/calldialog.h"
#include "calling/callhelperdialog.h"
#include "store/customerstore.h"
#include "store/helperstore.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

using namespace Fixtures;

namespace {
const QDate day(2026, 3, 9);

Seconds today(int hour, int minute)
{
    return QDateTime(day, QTime(hour, minute)).toSecsSinceEpoch();
}

QList<AlertPopup *> openPopups()
{
    QList<AlertPopup *> popups;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *popup = qobject_cast<AlertPopup *>(widget); popup && popup->isVisible())
            popups.append(popup);
    }
    return popups;
}

QString popupText(AlertPopup *popup)
{
    return popup->findChild<QLabel *>("labelAlertText")->text();
}

// A person of the given kind whose latest log promises a contact (a call at
// 10:30 unless told otherwise).
int scheduleCallAt1030(bool recruit, const QString &name, const QString &phone,
                       Seconds next = today(10, 30), int type = 1)
{
    int id = -1;
    if (recruit) {
        id = insertRecruit(name, 1);
        execSql(QString("UPDATE helpers SET phone_number = '%1' WHERE id = %2").arg(phone).arg(id));
        recordHelperContact(id, 1, "通话", next, type, today(9, 0), 1);
    } else {
        Prospect p = prospect(name);
        p.phone = phone;
        id = insertProspect(p);
        recordCustomerContact(id, 1, "通话", next, type, today(9, 0), 1);
    }
    return id;
}
} // namespace

class TestAlertPopup : public QObject
{
    Q_OBJECT

private slots:
    void init() { Clock::setFixedNow(QDateTime(day, QTime(10, 25))); }
    void cleanup()
    {
        Clock::setFixedNow(QDateTime());
        qDeleteAll(openPopups());
    }

    void namesShowAsPlainTextWithoutTakingFocus_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("markup") << "<b>张三</b><img src=x>"
                                << "<b>张三</b><img src=x>";
        QTest::newRow("line break") << "张三\n13900000000 电话"
                                    << "张三 13900000000 电话";
    }

    void namesShowAsPlainTextWithoutTakingFocus()
    {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        MessageRecorder messages;
        scheduleCallAt1030(false, name, "13800000001");
        MainWindow window;
        window.show();
        // The agent is typing in a dialog when the alert comes.
        QDialog typing(&window);
        auto *edit = new QLineEdit(&typing);
        typing.show();
        typing.activateWindow();
        edit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), edit);

        window.TimerProc();
        const QList<AlertPopup *> popups = openPopups();
        QCOMPARE(popups.size(), 1);
        QLabel *text = popups[0]->findChild<QLabel *>("labelAlertText");
        QCOMPARE(text->textFormat(), Qt::PlainText);
        QCOMPARE(text->text(), "10:30 电话 " + shown + " 13800000001");
        QVERIFY(popups[0]->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(popups[0]->windowFlags().testFlag(Qt::Tool));
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(QApplication::activeWindow(), &typing);
        QCOMPARE(messages.count(), 0);
    }

    void clickOpensCallDialogOnThePerson_data()
    {
        QTest::addColumn<bool>("recruit");
        QTest::newRow("prospect") << false;
        QTest::newRow("recruit") << true;
    }

    void clickOpensCallDialogOnThePerson()
    {
        QFETCH(bool, recruit);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        MessageRecorder messages;
        // Another person first, so a dialog on the wrong row would show.
        if (recruit)
            insertRecruit("赵六", 1);
        else
            insertProspect(prospect("赵六"));
        scheduleCallAt1030(recruit, "孙七", "13800000007");
        MainWindow window;
        window.show();
        window.TimerProc();
        QCOMPARE(openPopups().size(), 1);
        AlertPopup *popup = openPopups().first();
        QCOMPARE(popupText(popup), QString("10:30 电话 孙七 13800000007"));

        QString opened;
        QString nameShown;
        QTimer::singleShot(0, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            opened = modal->metaObject()->className();
            nameShown = modal->findChild<QLineEdit *>("lineEditName")->text();
            modal->close();
        });
        QTest::mouseClick(popup, Qt::LeftButton);
        QCOMPARE(opened, QString(recruit ? "CallHelperDialog" : "CallDialog"));
        QCOMPARE(nameShown, QString("孙七"));
        QVERIFY(openPopups().isEmpty());
        // Alerted once: the next tick brings nothing back.
        window.TimerProc();
        QVERIFY(openPopups().isEmpty());
        QCOMPARE(messages.count(), 0);
    }

    void missedNoticeOpensTheFollowUpList_data()
    {
        QTest::addColumn<bool>("recruit");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("list");
        QTest::newRow("prospect call") << false << 1 << "今日需再次电话联系准客户";
        QTest::newRow("recruit visit") << true << 2 << "今日需约访准增员名单";
    }

    void missedNoticeOpensTheFollowUpList()
    {
        QFETCH(bool, recruit);
        QFETCH(int, type);
        QFETCH(QString, list);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        MessageRecorder messages;
        scheduleCallAt1030(recruit, "孙七", "13800000007", today(9, 30), type);
        MainWindow window;
        window.TimerProc();
        QCOMPARE(openPopups().size(), 1);
        QCOMPARE(popupText(openPopups().first()), QString("您有 1 个已过时的联系"));
        QString opened;
        QTimer::singleShot(0, this, [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                opened = modal->windowTitle();
                modal->close();
            }
        });
        QTest::mouseClick(openPopups().first(), Qt::LeftButton);
        QCOMPARE(opened, list);
        QCOMPARE(messages.count(), 0);
    }

    void popupClosesByItselfAfterAMinute()
    {
        ReminderTray tray(nullptr, {}, nullptr);
        QVERIFY(!tray.hasTrayIcon());
        tray.notify("联系提醒", "text", [] {});
        QCOMPARE(openPopups().size(), 1);
        auto *lifetime = openPopups().first()->findChild<QTimer *>("timerLifetime");
        QVERIFY(lifetime->isActive());
        QCOMPARE(lifetime->interval(), 60 * 1000);
        lifetime->start(10); // rather than waiting the minute out
        QTRY_VERIFY(openPopups().isEmpty());
    }
};

CALLLEDGER_TEST_MAIN(TestAlertPopup, QApplication)
#include "tst_alertpopup.moc"
