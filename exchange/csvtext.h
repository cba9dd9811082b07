#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

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

// One record of the file with the line it starts on (1-based), which is what
// the agent sees in an editor.
struct CsvRecord
{
    int line = 0;
    QStringList fields;
};

// Reads a file record by record, a chunk at a time, so what it holds follows
// the longest record, not the file: only regular files (a pipe or a device
// would block or never end), at most sizeLimit bytes, no cell longer than a
// spreadsheet cell can be (an unclosed quote that would swallow the rest of
// the file is reported with the line it opens on).
class CsvReader
{
public:
    static constexpr qint64 sizeLimit = qint64(512) * 1024 * 1024;
    static constexpr qsizetype cellLimit = 32767;
    static constexpr qint64 chunkSize = 64 * 1024;

    CsvReader();
    ~CsvReader();
    CsvReader(const CsvReader &) = delete;
    CsvReader &operator=(const CsvReader &) = delete;

    // Opens the file and settles the encoding (Automatic reads the file once
    // to detect it). False with error() set when the file cannot be read.
    bool open(const QString &path, TextEncoding encoding);
    // The next record; false at the end, or on a fault with error() set.
    bool next(CsvRecord *record);
    TextEncoding encoding() const { return m_encoding; }
    QString error() const { return m_error; }
    // The most characters held at once (decoded chunk and record so far).
    qsizetype peakHeld() const { return m_peak; }
    qint64 fileSize() const { return m_fileSize; }

private:
    bool openRegularFile(const QString &path);
    bool readChunk(QByteArray *bytes);
    bool fill();
    bool fail(const QString &error);
    void endField();

    struct Private;
    std::unique_ptr<Private> d;
    TextEncoding m_encoding = TextEncoding::Utf8;
    QString m_error;
    qsizetype m_peak = 0;
    qint64 m_fileSize = 0;
};

// The records of a file, packed: the cells as UTF-8, each ended by a NUL (no
// cell of a file holds one), so a large list takes about its own size in
// memory instead of a string object per cell. Copies share the data.
class CsvFile
{
public:
    TextEncoding encoding = TextEncoding::Utf8;

    int size() const { return int(m_lines.size()); }
    bool isEmpty() const { return m_lines.isEmpty(); }
    int line(int record) const { return m_lines.at(record); }
    QStringList fields(int record) const;
    void append(const CsvRecord &record);
    void reserve(qint64 bytes) { m_cells.reserve(bytes); }

private:
    QByteArray m_cells;
    QList<quint32> m_ends; // where each record's cells end
    QList<int> m_lines;
};

// Reads and splits a file; with Automatic the encoding is detected. On failure
// returns false with a readable reason.
bool readCsvFile(const QString &path, TextEncoding encoding, CsvFile *file, QString *error);

// Spreadsheet programs run a cell that starts with = + - @, a tab or a CR as
// a formula. Such a cell is written with a leading apostrophe, unless it is a
// plain number (digits, blanks, hyphens, brackets, one leading +: phone
// numbers stay as they are); a cell that would read back as one of those
// (apostrophes before such a text) gets one more, so reading gives back
// exactly what was written.
QString guardedCell(const QString &text);
// The text of a cell written by guardedCell.
QString unguardedCell(const QString &cell);

// A cell or header as a message quotes it: at most 200 characters, longer
// ones cut with "…" (a header line of megabytes makes no message).
QString quotedCell(const QString &text);

// One line of the file, ending in CR LF as spreadsheet programs expect;
// every cell guarded.
QString csvLine(const QStringList &fields);
