#include "listfixtures.h"

#include "support/testworkspace.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace ListFixtures {

namespace {
QString prefix(Person person)
{
    return person == Person::Prospect ? QStringLiteral("customers") : QStringLiteral("helpers");
}
QString idColumn(Person person)
{
    return person == Person::Prospect ? QStringLiteral("customer_id") : QStringLiteral("helper_id");
}
} // namespace

bool addTrack(Person person, int id, Seconds time, int state)
{
    return execSql(QStringLiteral("INSERT INTO %1_contact_track(%2, contact_time, contact_state) "
                                  "VALUES (%3, %4, %5)")
                       .arg(prefix(person), idColumn(person))
                       .arg(id)
                       .arg(time)
                       .arg(state));
}

bool addLog(Person person, int id, Seconds addTime, int contactType, Seconds nextTime, int nextType)
{
    return execSql(QStringLiteral("INSERT INTO %1_tel_logs(%2, add_time, contact_type, content, "
                                  "next_contact_time, next_contact_type) "
                                  "VALUES (%3, %4, %5, 'x', %6, %7)")
                       .arg(prefix(person), idColumn(person))
                       .arg(id)
                       .arg(addTime)
                       .arg(contactType)
                       .arg(nextTime)
                       .arg(nextType));
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
