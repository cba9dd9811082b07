#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// How the cells of a column go into a workbook: texts as texts (phone numbers
// and codes too, whatever their digits), whole numbers as numbers (ids,
// counts, amounts, money), shares written "12.5%" as numbers in a percent
// format. A cell that is no such number stays text; a CSV file holds texts.
enum class CellKind
{
    Text,
    Number,
    Percent
};

// Writes a table of texts to a spreadsheet file. Everything goes to a file
// beside the target first and replaces it only in finish(), so a cancelled or
// failed export leaves an older file of the same name untouched.
class TableWriter
{
public:
    virtual ~TableWriter() = default;
    // Columns past the list are texts.
    void setColumnKinds(const QList<CellKind> &kinds) { m_kinds = kinds; }
    virtual bool writeRow(const QStringList &cells) = 0;
    // Completes the file; false with error() set when that fails.
    virtual bool finish() = 0;
    // Drops everything written so far.
    virtual void cancel() = 0;
    QString error() const { return m_error; }

protected:
    CellKind kindOf(int column) const { return m_kinds.value(column, CellKind::Text); }

    QString m_error;
    QList<CellKind> m_kinds;
};

// The kind follows the suffix: .xlsx (one worksheet) or .csv (UTF-8 with a
// byte-order mark, so spreadsheet programs read the Chinese correctly).
// Null with the reason in error when the file cannot be started.
std::unique_ptr<TableWriter> createTableWriter(const QString &path, const QString &sheetName,
                                               QString *error);

bool isSupportedExportPath(const QString &path);
