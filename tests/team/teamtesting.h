#pragma once

#include "dialogtesting.h"
#include "store/helperstore.h"
#include "support/testworkspace.h"

#include <QAbstractItemView>
#include <QComboBox>

// Helpers shared by the team dialog tests.
namespace TeamTesting {
using namespace DialogTesting;

// A team member as the program stores one; returns its id.
inline int addMember(const QString &name)
{
    if (!addHelper(name, 1, QStringLiteral("1985-01-01"), QStringLiteral("139"), QString(),
                   QString(), QString(), QString(), 2))
        return -1;
    return queryValue(QStringLiteral("SELECT max(id) FROM helpers")).toInt();
}

// Before a click that opens the member picker: once it runs, double-clicks
// its row (or closes it without a choice when row is -1).
inline void pickMemberWhenAsked(int row)
{
    QTimer::singleShot(0, [row] {
        QWidget *picker = QApplication::activeModalWidget();
        QVERIFY(picker);
        auto *view = picker->findChild<QAbstractItemView *>(QStringLiteral("tableView"));
        if (row < 0) {
            view->setCurrentIndex(QModelIndex());
            press(picker, "pushButtonClose");
            return;
        }
        const QRect rect = view->visualRect(view->model()->index(row, 1));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    });
}

inline void chooseYear(QWidget *dialog, int year)
{
    auto *years = child<QComboBox>(dialog, "comboBoxYear");
    years->setCurrentIndex(years->findText(QString::number(year)));
}

} // namespace TeamTesting
