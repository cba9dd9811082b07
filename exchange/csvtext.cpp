#include "csvtext.h"

#include "store/database.h"

#include <QFile>
#include <QStringDecoder>

namespace {
const QByteArray utf8Bom("\xEF\xBB\xBF");

bool needsQuotes(const QString &field)
{
    for (const QChar c : field) {
        if (c == u',' || c == u'"' || c == u'\n' || c == u'\r')
            return true;
    }
    // Leading or trailing blanks would be trimmed by some readers.
    return !field.isEmpty() && (field.front().isSpace() || field.back().isSpace());
}
} // namespace

bool parseEncodingName(const QString &name, TextEncoding *encoding)
{
    const QString lower = name.trimmed().toLower();
    if (lower == QLatin1String("utf-8") || lower == QLatin1String("utf8"))
        *encoding = TextEncoding::Utf8;
    else if (lower == QLatin1String("gb18030") || lower == QLatin1String("gbk") ||
             lower == QLatin1String("gb2312"))
        *encoding = TextEncoding::Gb18030;
    else
        return false;
    return true;
}

QString encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::Gb18030:
        return QStringLiteral("GB18030");
    case TextEncoding::Automatic:
        break;
    }
    return QStringLiteral("自动");
}

TextEncoding detectEncoding(const QByteArray &bytes)
{
    if (bytes.startsWith(utf8Bom))
        return TextEncoding::Utf8;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    Q_UNUSED(text);
    return decoder.hasError() ? TextEncoding::Gb18030 : TextEncoding::Utf8;
}

bool decodeText(const QByteArray &bytes, TextEncoding encoding, QString *text)
{
    if (encoding == TextEncoding::Automatic)
        encoding = detectEncoding(bytes);
    QByteArray body = bytes;
    if (body.startsWith(utf8Bom))
        body.remove(0, utf8Bom.size());
    QStringDecoder decoder = encoding == TextEncoding::Utf8 ? QStringDecoder(QStringDecoder::Utf8)
                                                            : QStringDecoder("GB18030");
    if (!decoder.isValid())
        return false;
    *text = decoder.decode(body);
    return !decoder.hasError();
}

QList<CsvRecord> parseCsv(const QString &text)
{
    QList<CsvRecord> records;
    CsvRecord record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    int line = 1;
    record.line = 1;
    const auto endField = [&] {
        record.fields.append(field);
        field.clear();
        fieldStarted = false;
    };
    const auto endRecord = [&](int nextLine) {
        endField();
        // A line with nothing on it is no record.
        if (!(record.fields.size() == 1 && record.fields.constFirst().isEmpty()))
            records.append(record);
        record = CsvRecord();
        record.line = nextLine;
    };
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < size && text.at(i + 1) == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n')
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == u'"' && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == u',') {
            endField();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n')
                ++i;
            ++line;
            endRecord(line);
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !record.fields.isEmpty() || !field.isEmpty())
        endRecord(line);
    return records;
}

bool readCsvFile(const QString &path, TextEncoding encoding, CsvFile *file, QString *error)
{
    // Read as text, it would be opened and closed outside SQLite.
    if (isDatabaseFile(path)) {
        *error = QStringLiteral("%1 是软件自己的数据文件, 不能导入。").arg(path);
        return false;
    }
    QFile input(path);
    if (!input.exists()) {
        *error = QStringLiteral("找不到文件 %1").arg(path);
        return false;
    }
    if (!input.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("无法读取文件 %1: %2").arg(path, input.errorString());
        return false;
    }
    const QByteArray bytes = input.readAll();
    // Neither encoding would refuse these; they would come in as gibberish.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        *error =
            QStringLiteral("文件是 UTF-16 编码的文本，请在表格程序中另存为 CSV (UTF-8) 后再导入。");
        return false;
    }
    if (bytes.contains('\0')) {
        *error = QStringLiteral("%1 不是 CSV 文本文件。").arg(path);
        return false;
    }
    const TextEncoding used =
        encoding == TextEncoding::Automatic ? detectEncoding(bytes) : encoding;
    QString text;
    if (!decodeText(bytes, used, &text)) {
        *error = QStringLiteral("文件不是有效的 %1 文本，请选择其他编码。").arg(encodingName(used));
        return false;
    }
    file->encoding = used;
    file->records = parseCsv(text);
    return true;
}

QString csvLine(const QStringList &fields)
{
    QString line;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += u',';
        const QString &field = fields.at(i);
        if (needsQuotes(field)) {
            QString escaped = field;
            escaped.replace(u'"', QLatin1String("\"\""));
            line += u'"' + escaped + u'"';
        } else {
            line += field;
        }
    }
    line += QLatin1String("\r\n");
    return line;
}
