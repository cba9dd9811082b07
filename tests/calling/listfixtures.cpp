#include "listfixtures.h"

#include "prospectfixtures.h"
#include "support/testworkspace.h"

#include <QApplication>
#include <QDialog>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

namespace ListFixtures {

QString table(Person person, const QString &suffix)
{
    return (person == Person::Prospect ? QStringLiteral("customers") : QStringLiteral("helpers")) +
           suffix;
}

QString idColumn(Person person)
{
    return person == Person::Prospect ? QStringLiteral("customer_id") : QStringLiteral("helper_id");
}

int addPerson(Person person, const QString &name, int userType, int isContact,
              const QString &address)
{
    if (person == Person::Prospect) {
        Fixtures::Prospect p = Fixtures::prospect(name, userType, "1980-05-06", address);
        p.isContact = isContact;
        return Fixtures::insertProspect(p);
    }
    const int id = Fixtures::insertRecruit(name, userType, address);
    if (isContact && !execSql(QStringLiteral("UPDATE helpers SET is_contact = %1 WHERE id = %2")
                                  .arg(isContact)
                                  .arg(id)))
        return -1;
    return id;
}

bool addTrack(Person person, int id, Seconds time, int state)
{
    return execSql(QStringLiteral("INSERT INTO %1(%2, contact_time, contact_state) "
                                  "VALUES (%3, %4, %5)")
                       .arg(table(person, "_contact_track"), idColumn(person))
                       .arg(id)
                       .arg(time)
                       .arg(state));
}

bool addLog(Person person, int id, Seconds addTime, int contactType, Seconds nextTime, int nextType)
{
    return execSql(QStringLiteral("INSERT INTO %1(%2, add_time, contact_type, content, "
                                  "next_contact_time, next_contact_type) "
                                  "VALUES (%3, %4, %5, 'x', %6, %7)")
                       .arg(table(person, "_tel_logs"), idColumn(person))
                       .arg(id)
                       .arg(addTime)
                       .arg(contactType)
                       .arg(nextTime)
                       .arg(nextType));
}

void press(QWidget *dialog, const QString &button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

void describe(QWidget *callDialog, const QString &text)
{
    auto *edit = child<QTextEdit>(callDialog, QStringLiteral("textEditPhoneContent"));
    edit->setFocus();
    edit->selectAll();
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
}

void saveContact(QWidget *callDialog, const QString &text, const QString &next)
{
    describe(callDialog, text);
    child<QRadioButton>(callDialog, next)->click();
    // As a click with the mouse would, the button takes the focus.
    child<QPushButton>(callDialog, QStringLiteral("pushButtonSave"))->setFocus();
    press(callDialog, QStringLiteral("pushButtonSave"));
}

void onNextModal(const std::function<void(QWidget *)> &check)
{
    // Polls until the modal dialog is up; a check that never runs leaves the
    // caller's exec() hanging, which the test timeout reports.
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, check] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        check(modal);
    });
    timer->start(10);
}

void leaveCall(QWidget *callDialog)
{
    if (auto *back = callDialog->findChild<QPushButton *>(QStringLiteral("pushButtonReturn")))
        QTest::mouseClick(back, Qt::LeftButton);
    else if (auto *dialog = qobject_cast<QDialog *>(callDialog))
        dialog->reject();
}

} // namespace ListFixtures
