#pragma once

#include "exchange/listexport.h"

class QWidget;

// The export button of a list: asks for the file, writes the list with a
// progress dialog that can cancel, and reports how it went.
void exportListInteractively(QWidget *parent, const ExportSource &source,
                             const QString &suggestedName);

// The export button of a table of figures: asks for the file (CSV first) and
// reports how it went.
void exportRowsInteractively(QWidget *parent, const QString &sheetName, const QStringList &headers,
                             const QList<QStringList> &rows, const QString &suggestedName,
                             const QList<CellKind> &kinds = {});
