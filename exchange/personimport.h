#pragma once

#include "exchange/csvtext.h"
#include "store/phonekeys.h"

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

struct ImportRow
{
    int line = 0;
    QStringList cells;
    PersonRow person;
    // Why the row cannot be stored (empty when it can).
    QString problem;
    // Who already has the number, when someone does.
    QString duplicateOf;
};

struct ImportPlan
{
    PersonTable table = PersonTable::Customers;
    QStringList headers;
    QList<ImportRow> rows;
    // True when the mapping lacks the name or the phone column.
    QString mappingProblem;
};

// Checks every data row of the file (the first record holds the headers)
// against the rules and the stored numbers.
ImportPlan planImport(PersonTable table, const CsvFile &file, const ColumnMapping &mapping);

// The row is stored with these settings.
bool rowWillBeImported(const ImportRow &row, bool allowDuplicates);
// Why a row is skipped ("缺少姓名", "号码重复: ...").
QString skipReason(const ImportRow &row);

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
// "第 12 行: 缺少姓名" for each skipped row.
QStringList skippedLines(const ImportResult &result);
// The skipped rows as a CSV file to fix: the headers, a reason column, the rows.
bool saveSkippedRows(const QString &path, const QStringList &headers, const QList<ImportRow> &rows,
                     QString *error);
