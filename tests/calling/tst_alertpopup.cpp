#include "common/dateutils.h"
#include "app/mainwindow.h"
#include "app/remindertray.h"
#include "store/customerstore.h"
#include "store/helperstore.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

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

    void alertShowsPlainTextAndOpensItsDialog_data()
    {
        QTest::addColumn<bool>("recruit");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("opened"); // class, then name or title
        QTest::newRow("prospect, markup in the name")
            << false << QTime(10, 30) << 1 << "<b>孙七</b><img src=x>"
            << "10:30 电话 <b>孙七</b><img src=x> 13800000007"
            << "CallDialog <b>孙七</b><img src=x>";
        QTest::newRow("recruit, line break in the name")
            << true << QTime(10, 30) << 1 << "孙七\n13900000000"
            << "10:30 电话 孙七 13900000000 13800000007"
            << "CallHelperDialog 孙七\n13900000000";
        QTest::newRow("missed prospect call")
            << false << QTime(9, 30) << 1 << "孙七"
            << "您有 1 个已过时的联系"
            << "TodaySubscribeCustomersDialog 今日需再次电话联系准客户";
        QTest::newRow("missed recruit visit") << true << QTime(9, 30) << 2 << "孙七"
                                              << "您有 1 个已过时的联系"
                                              << "TodaySubscribeHelpersDialog 今日需约访准增员名单";
    }

    void alertShowsPlainTextAndOpensItsDialog()
    {
        QFETCH(bool, recruit);
        QFETCH(QTime, time);
        QFETCH(int, type);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, opened);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        MessageRecorder messages;
        // Another person first (id 1), so a dialog on the wrong row would show.
        for (const QString &person : {QString("赵六"), name})
            QVERIFY(recruit ? addHelper(person, 1, "1980-01-01", "13800000007", {}, {}, {}, {}, 1)
                            : addCustomer(person, 1, "1980-01-01", "13800000007", {}, {}, {}, {}));
        const Seconds next = today(time.hour(), time.minute());
        QVERIFY(recruit ? recordHelperContact(2, 1, "通话", next, type, today(9, 0), 1)
                        : recordCustomerContact(2, 1, "通话", next, type, today(9, 0), 1));
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
        QCOMPARE(openPopups().size(), 1);
        AlertPopup *popup = openPopups().first();
        auto *label = popup->findChild<QLabel *>("labelAlertText");
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->text(), text);
        QCOMPARE(QApplication::focusWidget(), edit); // shown without taking the keyboard

        typing.close();
        QString shown;
        QTimer::singleShot(0, this, [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                auto *nameEdit = modal->findChild<QLineEdit *>("lineEditName");
                shown = QString(modal->metaObject()->className()) + ' ' +
                        (nameEdit ? nameEdit->text() : modal->windowTitle());
                modal->close();
            }
        });
        QTest::mouseClick(popup, Qt::LeftButton);
        QCOMPARE(shown, opened);
        QVERIFY(openPopups().isEmpty());
        // Alerted once: the next tick brings nothing back.
        window.TimerProc();
        QVERIFY(openPopups().isEmpty());
        QCOMPARE(messages.count(), 0);
    }

    // A notice while a dialog is open waits for it and brings it forward;
    // beyond three notices one more counts the rest and opens the calendar.
    void alertsWaitForTheOpenDialogAndStayFew()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        MessageRecorder messages;
        for (int id = 1; id <= 5; ++id) {
            QVERIFY(addCustomer(QString("客户%1").arg(id), 1, "1980-01-01",
                                QString("1380000000%1").arg(id), {}, {}, {}, {}));
            QVERIFY(recordCustomerContact(id, 1, "通话", today(10, 30), 1, today(9, 0), 1));
        }
        MainWindow window;
        window.show();
        QDialog open(&window);
        open.setWindowTitle("添加准客户名单");
        AlertPopup *first = nullptr, *more = nullptr;
        const auto hint = [](QWidget *popup) {
            return popup->findChild<QLabel *>("labelAlertHint")->text();
        };
        QTimer::singleShot(0, this, [&] {
            window.TimerProc();
            QCOMPARE(openPopups().size(), 4);
            for (AlertPopup *popup : openPopups())
                (popup->objectName() == "alertPopupOverflow" ? more : first) = popup;
            QTest::mouseClick(first->windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
            QCOMPARE(hint(first), QString("请先完成「添加准客户名单」窗口, 点击转到该窗口"));
            open.reject();
        });
        open.exec();
        QCOMPARE(hint(first), QString("点击查看"));
        QCOMPARE(more->findChild<QLabel *>("labelAlertText")->text(), QString("还有 2 条提醒"));
        QString opened;
        QTimer::singleShot(50, this, [&] {
            opened = QApplication::activeModalWidget()->metaObject()->className();
            QApplication::activeModalWidget()->close();
        });
        QTest::mouseClick(more->windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(opened, QString("CalendarDialog"));
        QCOMPARE(messages.count(), 0);
    }

    void popupClosesByItselfAfterAMinute()
    {
        ReminderTray tray(nullptr, {}, nullptr);
        tray.notify("联系提醒", "text", [] {});
        // Rather than waiting the minute out.
        openPopups().first()->findChild<QTimer *>("timerLifetime")->start(10);
        QTRY_VERIFY(openPopups().isEmpty());
    }

    // The alert's call dialog saved, or left open when the alert's own minute
    // is up; then the week's calendar: a row double-clicked, then the month.
    void calendarAfterAnAlert_data()
    {
        QTest::addColumn<bool>("saved");
        QTest::newRow("saved") << true;
        QTest::newRow("open at the minute") << false;
    }

    void calendarAfterAnAlert()
    {
        QFETCH(bool, saved);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        MessageRecorder messages;
        QVERIFY(addCustomer("孙七", 1, "1980-01-01", "13800000007", {}, {}, {}, {}));
        QVERIFY(recordCustomerContact(1, 1, "通话", today(10, 30), 2, today(9, 0), 1));
        MainWindow window;
        window.show();
        window.TimerProc();
        QPointer<AlertPopup> popup = openPopups().value(0);
        const auto minuteIsUp = [&popup] {
            if (popup)
                popup->findChild<QTimer *>("timerLifetime")->start(0);
            QTest::qWait(20);
        };
        QTimer::singleShot(0, this, [&] {
            QWidget *call = QApplication::activeModalWidget();
            if (!saved) {
                minuteIsUp();
                call->close();
                return;
            }
            call->findChild<QTextEdit *>("textEditPhoneContent")->setPlainText("约好下周见面");
            // A visit in an hour: the latest log keeps the person on the week's calendar.
            call->findChild<QToolButton *>("toolButtonVisitQuick0")->click();
            call->findChild<QPushButton *>("pushButtonSave")->click();
        });
        QTest::mouseClick(popup, Qt::LeftButton);
        QCOMPARE(queryValue("SELECT count(*) FROM customers_tel_logs").toInt(), saved ? 2 : 1);
        minuteIsUp();
        QTRY_VERIFY(!popup);

        int rows = -1;
        QTimer::singleShot(0, this, [&] {
            QWidget *calendar = QApplication::activeModalWidget();
            auto *view = calendar->findChild<QTableView *>("tableView");
            rows = view->model()->rowCount();
            const QPoint row = view->visualRect(view->model()->index(0, 2)).center();
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row);
            calendar->findChild<QPushButton *>("pushButtonCurrentMonth")->click();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row);
            calendar->close();
        });
        window.findChild<QAction *>("action_week_do_something")->trigger();
        QCOMPARE(rows, 1);
        QCOMPARE(messages.count(), 0);
    }
};

CALLLEDGER_TEST_MAIN(TestAlertPopup, QApplication)
#include "tst_alertpopup.moc"
