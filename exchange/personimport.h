#pragma once

#include "exchange/csvtext.h"
#include "store/phonekeys.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Prospects or recruits read from a CSV file: columns mapped to fields, every
// row checked the way the entry dialogs check one, duplicates marked, and the
// good rows stored in one transaction.

enum PersonField
{
    FieldName,
    FieldSex,
    FieldBirthDate,
    FieldPhone,
    FieldHomeAddress,
    FieldHomeTel,
    FieldCompany,
    FieldOffice,
    FieldCount
};

QString personFieldLabel(int field);

// For each field the file column it is read from, -1 for none.
using ColumnMapping = QList<int>;

// Guesses the mapping from the header texts (exact names first, then names
// that contain a known word); no column serves two fields.
ColumnMapping guessMapping(const QStringList &headers);

struct PersonRow
{
    QString name;
    int sex = -1;
    QString birthDate = QStringLiteral("1900-01-01");
    QString phone;
    QString homeAddress;
    QString homeTel;
    QString company;
    QString office;
};

// "yyyy-MM-dd" of a birth date written the common ways (1985-6-1, 1985/06/01,
// 1985.6.1, 19850601, 1985年6月1日, with a time of 0:00 after it); empty when
// it cannot be read or lies outside the entry dialogs' range (up to today).
QString parseBirthDate(const QString &text);

// One data row of the file, as small as it can be: its cells stay packed in
// the plan's file and are read again when needed, so a plan of a large file
// takes a fraction of the file's size.
struct ImportRow
{
    int line = 0;
    // The row's record in the plan's file.
    int record = 0;
    // The first line of the file with the same number, when a row above has it.
    int repeatsLine = 0;
    // Someone stored already has the number.
    bool knownNumber = false;
    // The row breaks a rule (ImportPlan::problem says which).
    bool hasProblem = false;

    bool isDuplicate() const { return knownNumber || repeatsLine > 0; }
};

struct ImportPlan
{
    PersonTable table = PersonTable::Customers;
    // Shared with the caller's file, not copied.
    CsvFile file;
    ColumnMapping mapping;
    QStringList headers;
    QList<ImportRow> rows;
    // True when the mapping lacks the name or the phone column.
    QString mappingProblem;
    // The declared lengths of the table's text columns.
    QHash<QString, int> lengths;

    QStringList cells(const ImportRow &row) const { return file.fields(row.record); }
    PersonRow person(const ImportRow &row) const;
    // Why the row cannot be stored, found again (empty when it can).
    QString problem(const ImportRow &row) const;
};

// Checks every data row of the file (the first record holds the headers)
// against the rules and the stored numbers.
ImportPlan planImport(PersonTable table, const CsvFile &file, const ColumnMapping &mapping);

// The row is stored with these settings.
bool rowWillBeImported(const ImportRow &row, bool allowDuplicates);
// Why a row is skipped ("缺少姓名", "号码重复: ..."); who has the number is
// looked up now.
QString skipReason(const ImportPlan &plan, const ImportRow &row);

using ImportProgress = std::function<bool(qint64 done, qint64 total)>;

struct ImportResult
{
    enum Outcome
    {
        Done,
        Cancelled,
        Failed
    };
    Outcome outcome = Failed;
    qint64 imported = 0;
    // The plan the skipped rows belong to (shared, not copied).
    ImportPlan plan;
    QList<ImportRow> skipped;
    QString error;
};

// Stores the rows that pass in one transaction: a cancel or a failed insert
// rolls everything back. Prospects are stored like entered ones (encoded
// names, never contacted, active), recruits as active recruits.
ImportResult runImport(const ImportPlan &plan, bool allowDuplicates,
                       const ImportProgress &progress = {});

// "导入 980 条, 跳过 20 条".
QString importSummary(const ImportResult &result);
// "第 12 行: 缺少姓名" for a skipped row, and for each of them.
QString skippedLine(const ImportPlan &plan, const ImportRow &row);
QStringList skippedLines(const ImportResult &result);
// The skipped rows as a CSV file to fix: the headers, a reason column, the rows.
bool saveSkippedRows(const QString &path, const ImportPlan &plan, const QList<ImportRow> &rows,
                     QString *error);
