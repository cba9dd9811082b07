// Dialling as on the agent's desktop: the main window on a private X server, Qt's
// own link opening through xdg-open, a tel: handler in the test's XDG folders.

#include "listfixtures.h"
#include "telhandler.h"

#include "app/mainwindow.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QtWidgets>

using namespace ListFixtures;

class TestDialDesktop : public QObject
{
    Q_OBJECT

private slots:
    void dialHandsTheLinkToTheDesktopHandler()
    {
        if (QGuiApplication::platformName() != "xcb")
            QSKIP("no X server (Xvfb) to run on");
        TelHandler handler;
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        MessageRecorder messages;
        addPerson(Person::Prospect, "张三");
        QVERIFY(execSql("UPDATE customers SET phone_number = '+86 138-0013-8000'"));
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window); // no window manager activates it
        QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "13800138000");
        QString links;
        onNextModal([&](QWidget *call) {
            QTest::mouseClick(child<QPushButton>(call, "pushButtonDial"), Qt::LeftButton);
            if (QTest::qWaitFor([&] { return !handler.links().isEmpty(); }, 15000))
                links = handler.links();
            call->close();
        });
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(links, QString("tel:+8613800138000"));
    }
};

int main(int argc, char **argv)
{
    QProcess xvfb; // the private X server; without one the test is skipped
    xvfb.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp"});
    if (xvfb.waitForReadyRead(15000)) {
        qputenv("DISPLAY", ":" + xvfb.readLine().trimmed());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    prepareTestEnvironment();
    std::unique_ptr<QApplication> app = std::make_unique<QApplication>(argc, argv);
    TestDialDesktop test;
    const int result = QTest::qExec(&test, argc, argv);
    app.reset();
    xvfb.terminate();
    xvfb.waitForFinished(5000);
    return result;
}
#include "tst_dialdesktop.moc"
