#pragma once

#include <QString>

class QSqlRecord;

// Text reaching the store may carry characters no column can hold: a NUL ends
// SQLite's reading of a statement early, and a lone surrogate half has no
// UTF-8 form (it would be stored as "?"). They are taken out where text enters
// the store: NULs removed, lone surrogates replaced by U+FFFD.
QString cleanText(const QString &text);

// The same for every text field of a record about to be written.
void cleanRecordTexts(QSqlRecord &record);
