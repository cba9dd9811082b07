#pragma once

#include "exchange/csvtext.h"
#include "store/customerstore.h"
#include "store/database.h"
#include "store/helperstore.h"
#include "store/nameencoding.h"
#include "store/phonekeys.h"

#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QStringList>
#include <QXmlStreamReader>

// Shared by the export and import tests.
namespace ExchangeTesting {

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray gb18030(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

// Every stored person of the table as the agent would compare them: names
// decoded, all entered fields plus the two state codes, in id order.
inline QList<QStringList> storedPeople(PersonTable table)
{
    const bool prospects = table == PersonTable::Customers;
    QSqlQuery query(QStringLiteral("SELECT name, sex, birth_date, phone_number, home_address, "
                                   "home_tel, company_name, office, is_contact, user_type FROM ") +
                    (prospects ? QStringLiteral("customers") : QStringLiteral("helpers")) +
                    QStringLiteral(" ORDER BY id"));
    QList<QStringList> rows;
    while (query.next()) {
        QStringList row;
        for (int column = 0; column < 10; ++column) {
            const QString value = query.value(column).toString();
            row.append(prospects && (column == 0 || column == 6) ? decodeName(value) : value);
        }
        rows.append(row);
    }
    return rows;
}

// The awkward texts agents' lists hold: quotes, commas, line breaks, emoji.
inline QString awkward(int n)
{
    static const QStringList parts = {QStringLiteral("\"引号\""), QStringLiteral("逗,号"),
                                      QStringLiteral("换\n行"), QStringLiteral("表情😀"),
                                      QStringLiteral("普通")};
    return parts.at(n % parts.size());
}

// count people stored through the store, the way the entry dialogs store them.
inline bool addAwkwardPeople(PersonTable table, int count)
{
    beginTransaction();
    for (int n = 0; n < count; ++n) {
        const QString name = QStringLiteral("张%1%2").arg(n).arg(awkward(n));
        const int sex = n % 3 - 1;
        const QString birth =
            n % 4 == 0 ? QStringLiteral("1900-01-01")
                       : QStringLiteral("19%1-0%2-1%3").arg(50 + n % 50).arg(1 + n % 9).arg(n % 10);
        const QString phone = QStringLiteral("138%1").arg(n, 8, 10, QLatin1Char('0'));
        const QString address = QStringLiteral("北京市%1").arg(awkward(n + 1));
        const QString company = QStringLiteral("公司%1").arg(awkward(n + 2));
        const bool ok =
            table == PersonTable::Customers
                ? addCustomer(name, sex, birth, phone, address, QStringLiteral("010-%1").arg(n),
                              company, awkward(n + 3))
                : addHelper(name, sex, birth, phone, address, QStringLiteral("010-%1").arg(n),
                            company, awkward(n + 3), 1);
        if (!ok) {
            rollbackTransaction();
            return false;
        }
    }
    return commitTransaction();
}

inline QList<QStringList> csvRows(const QString &path)
{
    CsvFile file;
    QString error;
    if (!readCsvFile(path, TextEncoding::Automatic, &file, &error))
        return {};
    QList<QStringList> rows;
    for (int record = 0; record < file.size(); ++record)
        rows.append(file.fields(record));
    return rows;
}

// The cells of the first worksheet of an xlsx file, read back from its XML
// (unzip -p), texts and numbers alike; kinds, when given, gets "text",
// "number" or "percent" (a number whose style's format has a "%") per cell.
// Empty when the file is no valid workbook.
inline QList<QStringList> xlsxRows(const QString &path, QList<QStringList> *kinds = nullptr)
{
    const auto member = [&](const QString &name) {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, name});
        unzip.waitForFinished(60000);
        return unzip.exitCode() == 0 ? unzip.readAllStandardOutput() : QByteArray();
    };
    if (member(QStringLiteral("_rels/.rels")).isEmpty() ||
        member(QStringLiteral("xl/workbook.xml")).isEmpty())
        return {};
    // Style index -> whether its number format shows a percentage.
    QHash<QString, QString> formats{{"9", "0%"}, {"10", "0.00%"}};
    QList<bool> percentStyles;
    QXmlStreamReader styles(member(QStringLiteral("xl/styles.xml")));
    bool inCellStyles = false;
    while (!styles.atEnd()) {
        const auto token = styles.readNext();
        if (styles.name() == u"cellXfs")
            inCellStyles = token == QXmlStreamReader::StartElement;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = styles.attributes();
        if (styles.name() == u"numFmt")
            formats.insert(a.value(QLatin1String("numFmtId")).toString(),
                           a.value(QLatin1String("formatCode")).toString());
        else if (styles.name() == u"xf" && inCellStyles)
            percentStyles.append(formats.value(a.value(QLatin1String("numFmtId")).toString())
                                     .contains(QLatin1Char('%')));
    }
    QList<QStringList> rows, types;
    QXmlStreamReader sheet(member(QStringLiteral("xl/worksheets/sheet1.xml")));
    int column = 0;
    QString type;
    while (!sheet.atEnd()) {
        if (sheet.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (sheet.name() == u"row") {
            rows.append(QStringList());
            types.append(QStringList());
        } else if (sheet.name() == u"c") { // "r" as "AB12": the letters give the column
            column = -1;
            for (const QChar c : sheet.attributes().value(QStringLiteral("r")))
                column = c.isLetter() ? (column + 1) * 26 + (c.unicode() - u'A') : column;
            type = sheet.attributes().value(QLatin1String("t")) == u"inlineStr" ? "text"
                   : percentStyles.value(sheet.attributes().value(QLatin1String("s")).toInt())
                       ? "percent"
                       : "number";
        } else if ((sheet.name() == u"is" || sheet.name() == u"v") && !rows.isEmpty()) {
            rows.last().resize(qMax(rows.last().size(), column + 1));
            types.last().resize(rows.last().size());
            rows.last()[column] = sheet.readElementText(QXmlStreamReader::IncludeChildElements);
            types.last()[column] = type;
        }
    }
    if (sheet.hasError())
        return {};
    // Empty cells are not written; pad rows to the header's width.
    for (qsizetype row = 0; row < rows.size(); ++row) {
        rows[row].resize(qMax(rows.at(row).size(), rows.constFirst().size()));
        types[row].resize(rows.at(row).size());
    }
    if (kinds)
        *kinds = types;
    return rows;
}

} // namespace ExchangeTesting
