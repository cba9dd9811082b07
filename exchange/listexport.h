#pragma once

#include "exchange/tablewriter.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class QAbstractItemModel;

// The lists that can be written to a spreadsheet file.
enum class ExportList
{
    Prospects,
    Recruits,
    Team,
    Orders
};

// "prospects", "recruits", "team", "orders" as on the command line.
bool parseExportList(const QString &name, ExportList *list);

// One column of the file: where its value comes from, its header (the list's
// own), and how the list shows the value (codes as words, dates as text).
struct ExportColumn
{
    int source = 0;
    QString header;
    std::function<QString(const QVariant &)> text;
    CellKind kind = CellKind::Text;
};

// What a list shows: its columns and the rows of its condition (SQL without
// WHERE, as the dialog built it from its search; empty = the whole list).
struct ExportSource
{
    QString sheetName;
    QString statement;
    QString countStatement;
    QList<ExportColumn> columns;
};

// The list with the dialog's condition; the condition of the whole list when
// the filter is empty (prospects: not abandoned; recruits: active ones; team:
// members; orders: all).
ExportSource exportSource(ExportList list, const QString &filter = QString());

// The orders of a closed period, as the order list shows them.
QString orderPeriodFilter(qint64 from, qint64 to);

// Called every few hundred rows with rows done and rows in all; return false
// to stop.
using ExportProgress = std::function<bool(qint64 done, qint64 total)>;

struct ExportResult
{
    enum Outcome
    {
        Done,
        Cancelled,
        Failed
    };
    Outcome outcome = Failed;
    qint64 rows = 0;
    QString error;
};

// Writes the list to an .xlsx or .csv file, headers first. A cancelled or
// failed export leaves no file behind (and an older one untouched).
ExportResult exportList(const ExportSource &source, const QString &path,
                        const ExportProgress &progress = {});

// Writes rows that are already texts (a table of figures), headers first, the
// same way and with the same guarantees as a list; kinds tell the columns'
// cells apart in a workbook.
ExportResult exportRows(const QString &sheetName, const QStringList &headers,
                        const QList<QStringList> &rows, const QString &path,
                        const QList<CellKind> &kinds = {});

// Summary for the agent: "已导出 120 条到 FILE".
QString exportSummary(const ExportResult &result, const QString &path);
