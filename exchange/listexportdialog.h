#pragma once

#include "exchange/listexport.h"

class QWidget;

// The export button of a list: asks for the file, writes the list with a
// progress dialog that can cancel, and reports how it went.
void exportListInteractively(QWidget *parent, const ExportSource &source,
                             const QString &suggestedName);
