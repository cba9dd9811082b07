#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated text as spreadsheet programs write and read it: fields
// with commas, quotes or line breaks are quoted, quotes doubled.

enum class TextEncoding
{
    Automatic,
    Utf8,
    Gb18030
};

// "utf-8" / "gb18030" (any case) as typed on the command line.
bool parseEncodingName(const QString &name, TextEncoding *encoding);
QString encodingName(TextEncoding encoding);

// UTF-8 when the bytes carry its byte-order mark or decode as UTF-8 without
// a fault; otherwise GB18030, which Chinese spreadsheet programs write.
TextEncoding detectEncoding(const QByteArray &bytes);
// The text of the bytes, byte-order mark dropped. False when the bytes are
// not valid in the encoding.
bool decodeText(const QByteArray &bytes, TextEncoding encoding, QString *text);

// One record of the file with the line it starts on (1-based), which is what
// the agent sees in an editor.
struct CsvRecord
{
    int line = 0;
    QStringList fields;
};

// Splits the text into records; blank lines are left out. An unclosed quote
// takes the rest of the text into its field.
QList<CsvRecord> parseCsv(const QString &text);

struct CsvFile
{
    TextEncoding encoding = TextEncoding::Utf8;
    QList<CsvRecord> records;
};

// Reads and splits a file; with Automatic the encoding is detected. On failure
// returns false with a readable reason.
bool readCsvFile(const QString &path, TextEncoding encoding, CsvFile *file, QString *error);

// One line of the file, ending in CR LF as spreadsheet programs expect.
QString csvLine(const QStringList &fields);
