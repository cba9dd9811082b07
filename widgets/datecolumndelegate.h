#pragma once

#include <QItemDelegate>

// Paints one column of stored seconds as the local date "yy-MM-dd", right
// aligned; every other column as usual.
class DateColumnDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    DateColumnDelegate(int dateColumn, QObject *parent);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    int dateColumn;
};

// The plan list: its begin date is column 4.
class TeammateTaskDelegate : public DateColumnDelegate
{
    Q_OBJECT
public:
    explicit TeammateTaskDelegate(QObject *parent = nullptr) : DateColumnDelegate(4, parent) {}
};

// The report list: its report time is column 3.
class TeammateEarningReportDelegate : public DateColumnDelegate
{
    Q_OBJECT
public:
    explicit TeammateEarningReportDelegate(QObject *parent = nullptr)
        : DateColumnDelegate(3, parent)
    {
    }
};
