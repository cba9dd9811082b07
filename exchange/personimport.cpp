#include "personimport.h"

#include "common/dateutils.h"
#include "common/safefile.h"
#include "store/customerstore.h"
#include "store/database.h"
#include "store/fieldrules.h"
#include "store/helperstore.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace {
// The column each field is stored in, in field order.
const QStringList &fieldColumns()
{
    static const QStringList columns = {
        QStringLiteral("name"),         QStringLiteral("sex"),
        QStringLiteral("birth_date"),   QStringLiteral("phone_number"),
        QStringLiteral("home_address"), QStringLiteral("home_tel"),
        QStringLiteral("company_name"), QStringLiteral("office")};
    return columns;
}

// Header words per field, most specific first.
const QList<QStringList> &headerWords()
{
    static const QList<QStringList> words = {
        {QStringLiteral("姓名"), QStringLiteral("名字"), QStringLiteral("客户姓名"),
         QStringLiteral("name")},
        {QStringLiteral("性别"), QStringLiteral("sex"), QStringLiteral("gender")},
        {QStringLiteral("生日"), QStringLiteral("出生日期"), QStringLiteral("出生年月"),
         QStringLiteral("birthday"), QStringLiteral("出生")},
        {QStringLiteral("电话号码"), QStringLiteral("联系电话"), QStringLiteral("手机号码"),
         QStringLiteral("手机号"), QStringLiteral("手机"), QStringLiteral("phone"),
         QStringLiteral("mobile"), QStringLiteral("电话")},
        {QStringLiteral("家庭/公司地址"), QStringLiteral("家庭地址"), QStringLiteral("地址"),
         QStringLiteral("address")},
        {QStringLiteral("家庭电话"), QStringLiteral("住宅电话"), QStringLiteral("座机")},
        {QStringLiteral("公司"), QStringLiteral("工作单位"), QStringLiteral("单位"),
         QStringLiteral("company")},
        {QStringLiteral("职务"), QStringLiteral("职位"), QStringLiteral("office"),
         QStringLiteral("title")},
    };
    return words;
}

QString headerKey(const QString &header)
{
    // Character by character: a header line of a million columns must not
    // compile a pattern per column.
    QString key;
    for (const QChar c : header) {
        if (!c.isSpace() && c != u':' && c != u'：' && c != u'*')
            key += c.toLower();
    }
    return key;
}

QString cell(const QStringList &cells, int column)
{
    return column >= 0 && column < cells.size() ? cells.at(column) : QString();
}

// The entry dialogs' rules, first failure wins.
QString checkRow(const QStringList &cells, const ColumnMapping &mapping,
                 const QHash<QString, int> &lengths, PersonRow *person)
{
    person->name = cell(cells, mapping.value(FieldName, -1)).trimmed();
    person->phone = cell(cells, mapping.value(FieldPhone, -1)).trimmed();
    person->homeAddress = cell(cells, mapping.value(FieldHomeAddress, -1));
    person->homeTel = cell(cells, mapping.value(FieldHomeTel, -1));
    person->company = cell(cells, mapping.value(FieldCompany, -1));
    person->office = cell(cells, mapping.value(FieldOffice, -1));
    if (person->name.isEmpty())
        return QStringLiteral("缺少姓名");
    const QString sex = cell(cells, mapping.value(FieldSex, -1)).trimmed();
    if (sex == QStringLiteral("女") || sex == QStringLiteral("女性"))
        person->sex = 0;
    else if (sex == QStringLiteral("男") || sex == QStringLiteral("男性"))
        person->sex = 1;
    else if (!sex.isEmpty())
        return QStringLiteral("性别只能是\"男\"、\"女\"或空: %1").arg(quotedCell(sex));
    const QString birth = cell(cells, mapping.value(FieldBirthDate, -1)).trimmed();
    if (!birth.isEmpty()) {
        person->birthDate = parseBirthDate(birth);
        if (person->birthDate.isEmpty())
            return QStringLiteral("生日无法识别或不在 1900-01-01 至今天之间: %1")
                .arg(quotedCell(birth));
    }
    if (person->phone.isEmpty())
        return QStringLiteral("缺少电话号码");
    for (const auto &[field, text] :
         {std::pair{FieldPhone, person->phone}, std::pair{FieldHomeTel, person->homeTel}}) {
        if (const QString problem = phoneProblem(personFieldLabel(field), text); !problem.isEmpty())
            return problem + QStringLiteral(": ") + quotedCell(text);
    }
    const QString texts[] = {person->name,        QString(),       QString(),       person->phone,
                             person->homeAddress, person->homeTel, person->company, person->office};
    for (int field = 0; field < FieldCount; ++field) {
        const QString problem = lengthProblem(personFieldLabel(field), texts[field],
                                              lengths.value(fieldColumns().at(field)));
        if (!problem.isEmpty())
            return problem;
    }
    return QString();
}

// Marks the rows whose number someone stored has, prospects and recruits
// alike (as the entry dialogs ask across kinds), looked up a block at a time
// (one indexed lookup each) so the numbers are never all held at once.
template <class Takes, class Mark>
void markKnownNumbers(const ImportPlan &plan, Takes takesPart, Mark mark)
{
    constexpr qsizetype block = 1000;
    QList<qsizetype> indices;
    QStringList phones;
    const auto lookUp = [&] {
        const QList<bool> prospects = knownPhones(PersonTable::Customers, phones);
        const QList<bool> recruits = knownPhones(PersonTable::Helpers, phones);
        for (qsizetype i = 0; i < indices.size(); ++i) {
            if (prospects.value(i) || recruits.value(i))
                mark(indices.at(i));
        }
        indices.clear();
        phones.clear();
    };
    for (qsizetype i = 0; i < plan.rows.size(); ++i) {
        if (!takesPart(plan.rows.at(i)))
            continue;
        indices.append(i);
        phones.append(plan.person(plan.rows.at(i)).phone);
        if (indices.size() == block)
            lookUp();
    }
    lookUp();
}
} // namespace

QString personFieldLabel(int field)
{
    static const QStringList labels = {QStringLiteral("姓名"),          QStringLiteral("性别"),
                                       QStringLiteral("生日"),          QStringLiteral("电话号码"),
                                       QStringLiteral("家庭/公司地址"), QStringLiteral("家庭电话"),
                                       QStringLiteral("公司"),          QStringLiteral("职务")};
    return labels.value(field);
}

ColumnMapping guessMapping(const QStringList &headers)
{
    ColumnMapping mapping(FieldCount, -1);
    QList<bool> used(headers.size(), false);
    QStringList keys;
    for (const QString &header : headers)
        keys.append(headerKey(header));
    const auto assign = [&](bool exact) {
        for (int field = 0; field < FieldCount; ++field) {
            if (mapping[field] >= 0)
                continue;
            for (const QString &word : headerWords().at(field)) {
                for (int column = 0; column < keys.size() && mapping[field] < 0; ++column) {
                    if (used[column] || keys.at(column).isEmpty())
                        continue;
                    if (exact ? keys.at(column) == word : keys.at(column).contains(word)) {
                        mapping[field] = column;
                        used[column] = true;
                    }
                }
            }
        }
    };
    assign(true);
    assign(false);
    return mapping;
}

QString parseBirthDate(const QString &text)
{
    static const QRegularExpression separated(
        QStringLiteral("^(\\d{4})\\s*[-/.年]\\s*(\\d{1,2})\\s*[-/"
                       ".月]\\s*(\\d{1,2})\\s*日?(\\s+\\d{1,2}:\\d{2}(:\\d{2})?)?$"));
    static const QRegularExpression compact(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));
    const QString trimmed = text.trimmed();
    QRegularExpressionMatch match = separated.match(trimmed);
    if (!match.hasMatch())
        match = compact.match(trimmed);
    if (!match.hasMatch())
        return QString();
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(),
                     match.captured(3).toInt());
    if (!date.isValid() || date < birthDateNotGiven() || date > latestBirthDate())
        return QString();
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString ImportPlan::problem(const ImportRow &row) const
{
    PersonRow person;
    return mappingProblem.isEmpty() ? checkRow(cells(row), mapping, lengths, &person) : mappingProblem;
}

PersonRow ImportPlan::person(const ImportRow &row) const
{
    PersonRow person;
    checkRow(cells(row), mapping, lengths, &person);
    return person;
}

ImportPlan planImport(PersonTable table, const CsvFile &file, const ColumnMapping &mapping)
{
    ImportPlan plan;
    plan.table = table;
    plan.file = file;
    plan.mapping = mapping;
    if (!file.isEmpty())
        plan.headers = file.fields(0);
    if (mapping.value(FieldName, -1) < 0)
        plan.mappingProblem = QStringLiteral("请指定姓名所在的列。");
    else if (mapping.value(FieldPhone, -1) < 0)
        plan.mappingProblem = QStringLiteral("请指定电话号码所在的列。");
    plan.lengths = declaredLengths(
        table == PersonTable::Customers ? QStringLiteral("customers") : QStringLiteral("helpers"));
    plan.rows.reserve(file.size());
    // The first row of each number, by a hash of the number: a map of the
    // numbers themselves would take more than the file. Rows that meet are
    // compared by their numbers, so a repeat is never made up.
    QHash<size_t, int> firstRowOfNumber;
    for (int record = 1; record < file.size(); ++record) {
        ImportRow row;
        row.line = file.line(record);
        row.record = record;
        if (!plan.mappingProblem.isEmpty()) {
            row.hasProblem = true;
            plan.rows.append(row);
            continue;
        }
        PersonRow person;
        row.hasProblem = !checkRow(file.fields(record), mapping, plan.lengths, &person).isEmpty();
        // Each number of the row counts: "A/B" and a later "B" meet.
        const QStringList keys = row.hasProblem ? QStringList() : phoneKeys(person.phone);
        for (const QString &key : keys) {
            const size_t hash = qHash(key);
            const auto first = firstRowOfNumber.constFind(hash);
            if (first == firstRowOfNumber.constEnd())
                firstRowOfNumber.insert(hash, int(plan.rows.size()));
            else if (*first < plan.rows.size() && row.repeatsLine == 0 &&
                     phoneKeys(plan.person(plan.rows.at(*first)).phone).contains(key))
                row.repeatsLine = plan.rows.at(*first).line;
        }
        plan.rows.append(row);
    }
    markKnownNumbers(plan, [](const ImportRow &row) { return !row.hasProblem; },
                     [&](qsizetype index) { plan.rows[index].knownNumber = true; });
    return plan;
}

bool rowWillBeImported(const ImportRow &row, bool allowDuplicates)
{
    return !row.hasProblem && (allowDuplicates || !row.isDuplicate());
}

QString skipReason(const ImportPlan &plan, const ImportRow &row)
{
    if (row.hasProblem)
        return plan.problem(row);
    if (row.knownNumber) {
        // Each holder named with its kind ("准增员 刘洋 (139...)"), on one line.
        const QList<PhoneHolder> holders =
            findPhoneHoldersOfBothKinds(plan.person(row).phone, PersonRef{plan.table, -1}, 1);
        if (!holders.isEmpty())
            return QStringLiteral("号码重复: %1")
                .arg(
                    describePhoneHolders(holders).replace(QLatin1Char('\n'), QStringLiteral("; ")));
    }
    if (row.repeatsLine > 0)
        return QStringLiteral("号码重复: 第 %1 行").arg(row.repeatsLine);
    return row.knownNumber ? QStringLiteral("号码重复") : QString();
}

ImportResult runImport(const ImportPlan &plan, bool allowDuplicates, const ImportProgress &progress)
{
    ImportResult result;
    result.plan = plan;
    if (!plan.mappingProblem.isEmpty()) {
        result.error = plan.mappingProblem;
        return result;
    }
    // The write lock comes first: the duplicate check below then sees every
    // number another import (a window, a script) committed since the plan was
    // made, and nobody can add one before this commits.
    QSqlQuery begin;
    if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        result.error = begin.lastError().text();
        return result;
    }
    QList<bool> storedMeanwhile(plan.rows.size(), false);
    if (!allowDuplicates)
        markKnownNumbers(plan, [](const ImportRow &row) { return rowWillBeImported(row, false); },
                         [&](qsizetype index) { storedMeanwhile[index] = true; });
    qint64 total = 0;
    for (qsizetype i = 0; i < plan.rows.size(); ++i)
        total += rowWillBeImported(plan.rows.at(i), allowDuplicates) && !storedMeanwhile.at(i);
    const auto giveUp = [&](ImportResult::Outcome outcome) {
        rollbackTransaction();
        result.outcome = outcome;
        result.imported = 0;
        return result;
    };
    for (qsizetype i = 0; i < plan.rows.size(); ++i) {
        const ImportRow &row = plan.rows.at(i);
        if (!rowWillBeImported(row, allowDuplicates) || storedMeanwhile.at(i)) {
            result.skipped.append(row);
            result.skipped.last().knownNumber |= storedMeanwhile.at(i);
            continue;
        }
        const PersonRow p = plan.person(row);
        const bool stored = plan.table == PersonTable::Customers
                                ? addCustomer(p.name, p.sex, p.birthDate, p.phone, p.homeAddress,
                                              p.homeTel, p.company, p.office)
                                : addHelper(p.name, p.sex, p.birthDate, p.phone, p.homeAddress,
                                            p.homeTel, p.company, p.office, 1);
        if (!stored) {
            result.error = QStringLiteral("第 %1 行无法保存，没有导入任何数据。").arg(row.line);
            return giveUp(ImportResult::Failed);
        }
        ++result.imported;
        if (progress && result.imported % 200 == 0 && !progress(result.imported, total))
            return giveUp(ImportResult::Cancelled);
    }
    if (progress && !progress(result.imported, total))
        return giveUp(ImportResult::Cancelled);
    if (!commitTransaction()) {
        result.error = QSqlDatabase::database().lastError().text();
        return giveUp(ImportResult::Failed);
    }
    result.outcome = ImportResult::Done;
    return result;
}

QString importSummary(const ImportResult &result)
{
    switch (result.outcome) {
    case ImportResult::Done:
        return QStringLiteral("导入 %1 条, 跳过 %2 条")
            .arg(result.imported)
            .arg(result.skipped.size());
    case ImportResult::Cancelled:
        return QStringLiteral("导入已取消，没有写入任何数据。");
    case ImportResult::Failed:
        break;
    }
    return QStringLiteral("导入失败: %1").arg(result.error);
}

QString skippedLine(const ImportPlan &plan, const ImportRow &row)
{
    return QStringLiteral("第 %1 行: %2").arg(row.line).arg(skipReason(plan, row));
}

QStringList skippedLines(const ImportResult &result)
{
    QStringList lines;
    for (const ImportRow &row : result.skipped)
        lines.append(skippedLine(result.plan, row));
    return lines;
}

bool saveSkippedRows(const QString &path, const ImportPlan &plan, const QList<ImportRow> &rows,
                     QString *error)
{
    SafeFileWriter file(path);
    if (!file.open()) {
        *error = file.errorString();
        return false;
    }
    const QStringList &headers = plan.headers;
    QString text =
        csvLine(QStringList(headers) << QStringLiteral("行号") << QStringLiteral("跳过原因"));
    for (const ImportRow &row : rows) {
        QStringList cells = plan.cells(row);
        while (cells.size() < headers.size())
            cells.append(QString());
        text += csvLine(cells << QString::number(row.line) << skipReason(plan, row));
    }
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    if (file.file().write(bytes) != bytes.size()) {
        *error = file.file().errorString();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
