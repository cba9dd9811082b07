// Dialling through the desktop as the agent's machine does it: the program
// on a real X server (Xvfb), Qt's own link opening, xdg-open, and a program
// registered for tel: links in the test's own XDG folders.

#include "listfixtures.h"
#include "telhandler.h"

#include "app/mainwindow.h"
#include "app/searchbox.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

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
        const int id = addPerson(Person::Prospect, "张三");
        QVERIFY(execSql(QString("UPDATE customers SET phone_number = '+86 138-0013-8000' "
                                "WHERE id = %1")
                            .arg(id)));

        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // No window manager on the private server activates it.
        QApplication::setActiveWindow(&window);
        auto *box = child<SearchBox>(&window, "lineEditSearch");
        QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(box, "13800138000");
        QStringList links;
        onNextModal([&](QWidget *call) {
            QTest::mouseClick(child<QPushButton>(call, "pushButtonDial"), Qt::LeftButton);
            if (QTest::qWaitFor([&] { return !handler.links().isEmpty(); }, 15000))
                links = handler.links();
            call->close();
        });
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(links, QStringList{"tel:+8613800138000"});
        QCOMPARE(messages.texts(), QStringList());
    }
};

int main(int argc, char **argv)
{
    // A private X server; without one the test is skipped.
    QProcess xvfb;
    const QString server = QStandardPaths::findExecutable("Xvfb");
    if (!server.isEmpty()) {
        xvfb.start(server, {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
        if (xvfb.waitForReadyRead(15000)) {
            qputenv("DISPLAY", ":" + xvfb.readLine().trimmed());
            qputenv("QT_QPA_PLATFORM", "xcb");
        }
    }
    prepareTestEnvironment();
    int result = 0;
    {
        QApplication app(argc, argv);
        TestDialDesktop test;
        QTEST_SET_MAIN_SOURCE_PATH
        result = QTest::qExec(&test, argc, argv);
    }
    xvfb.terminate();
    xvfb.waitForFinished(5000);
    return result;
}
#include "tst_dialdesktop.moc"
