#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QTimer>

#include <functional>

// Widget and table helpers shared by the dialog tests of several areas.
namespace DialogTesting {

template <typename T> T *child(QWidget *dialog, const char *name)
{
    T *widget = dialog->findChild<T *>(name);
    if (!widget)
        qWarning() << "no widget" << name;
    return widget;
}

inline QLineEdit *edit(QWidget *dialog, const char *name)
{
    return child<QLineEdit>(dialog, name);
}

inline void press(QWidget *dialog, const char *button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

// One row of a data table: its tag, then a value for each column in order.
template <typename... Values> void row(const char *tag, const Values &...values)
{
    (QTest::newRow(tag) << ... << values);
}

// Before a click that opens a modal dialog: runs the check on it once it runs.
inline void whenModal(const std::function<void(QWidget *)> &check)
{
    QTimer::singleShot(0, [check] {
        if (QWidget *modal = QApplication::activeModalWidget())
            check(modal);
    });
}

// Every row of the query as "value|value|...", in the query's order.
inline QStringList storedRows(const QString &sql)
{
    QStringList rows;
    QSqlQuery query(sql);
    while (query.next()) {
        QStringList values;
        for (int column = 0; column < query.record().count(); ++column)
            values << query.value(column).toString();
        rows << values.join('|');
    }
    return rows;
}

} // namespace DialogTesting
