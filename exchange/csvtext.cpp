#include "csvtext.h"

#include "store/database.h"

#include <QFile>
#include <QStringDecoder>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

bool isPlainNumber(QStringView text)
{
    bool digit = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c >= u'0' && c <= u'9')
            digit = true;
        else if (!(c == u' ' || c == u'-' || c == u'(' || c == u')' || (c == u'+' && i == 0)))
            return false;
    }
    return digit;
}

// Starts like a formula once any leading apostrophes are taken away.
bool readsAsFormula(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && text.at(start) == u'\'')
        ++start;
    if (start == text.size())
        return false;
    const QChar c = text.at(start);
    const bool formula =
        c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r';
    return formula && !isPlainNumber(text.mid(start));
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

QString guardedCell(const QString &text)
{
    return readsAsFormula(text) ? QLatin1Char('\'') + text : text;
}

QString unguardedCell(const QString &cell)
{
    return cell.startsWith(u'\'') && readsAsFormula(QStringView(cell).mid(1)) ? cell.mid(1)
                                                                               : cell;
}

struct CsvReader::Private
{
    QFile file;
    QString path;
    QStringDecoder decoder;
    qint64 bytesRead = 0;
    bool atEnd = false;
    // The decoded chunk and the position in it.
    QString text;
    qsizetype position = 0;
    // The record being read.
    CsvRecord record;
    QString field;
    qsizetype recordChars = 0;
    int line = 1;
    int quoteLine = 0;
    bool quoted = false;
    bool quoteSeen = false; // a quote inside quotes: closing, or the first of two
    bool fieldStarted = false;
    bool skipLineFeed = false; // a CR ended the last record
};

CsvReader::CsvReader() : d(std::make_unique<Private>()) {}

CsvReader::~CsvReader() = default;

bool CsvReader::fail(const QString &error)
{
    m_error = error;
    d->file.close();
    d->atEnd = true;
    d->text.clear();
    d->position = 0;
    return false;
}

// Opened without waiting (a pipe would block the open until a writer came),
// then checked on the open descriptor, so nothing can be swapped in between.
bool CsvReader::openRegularFile(const QString &path)
{
    d->path = path;
    // Read as text, it would be opened and closed outside SQLite, which drops
    // the process's locks on it.
    if (isDatabaseFile(path))
        return fail(QStringLiteral("%1 是软件自己的数据文件, 不能导入。").arg(path));
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return fail(errno == ENOENT ? QStringLiteral("找不到文件 %1").arg(path)
                                    : QStringLiteral("无法读取文件 %1: %2")
                                          .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(QStringLiteral("%1 不是普通文件，不能导入。").arg(path));
    }
    if (info.st_size > sizeLimit) {
        ::close(fd);
        return fail(QStringLiteral("文件 %1 大于 512 MB，不能导入。").arg(path));
    }
    m_fileSize = info.st_size;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!d->file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(QStringLiteral("无法读取文件 %1: %2").arg(path, d->file.errorString()));
    }
    return true;
}

// The next chunk of bytes; false with the error set when the file cannot be
// used. An empty chunk is the end.
bool CsvReader::readChunk(QByteArray *bytes)
{
    *bytes = d->file.read(chunkSize);
    if (d->file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("无法读取文件 %1: %2").arg(d->path, d->file.errorString()));
    const bool first = d->bytesRead == 0;
    d->bytesRead += bytes->size();
    // It may have grown since it was opened.
    if (d->bytesRead > sizeLimit)
        return fail(QStringLiteral("文件 %1 大于 512 MB，不能导入。").arg(d->path));
    // Neither encoding would refuse these; they would come in as gibberish.
    if (first && (bytes->startsWith("\xFF\xFE") || bytes->startsWith("\xFE\xFF")))
        return fail(QStringLiteral(
            "文件是 UTF-16 编码的文本，请在表格程序中另存为 CSV (UTF-8) 后再导入。"));
    if (bytes->contains('\0'))
        return fail(QStringLiteral("%1 不是 CSV 文本文件。").arg(d->path));
    if (first && bytes->startsWith(utf8Bom))
        bytes->remove(0, utf8Bom.size());
    return true;
}

bool CsvReader::open(const QString &path, TextEncoding encoding)
{
    d = std::make_unique<Private>();
    m_error.clear();
    m_peak = 0;
    if (!openRegularFile(path))
        return false;
    if (encoding == TextEncoding::Automatic) {
        // UTF-8 when the file carries its byte-order mark or decodes as UTF-8
        // without a fault; otherwise GB18030, which Chinese spreadsheet
        // programs write.
        QStringDecoder utf8(QStringDecoder::Utf8);
        encoding = TextEncoding::Utf8;
        const QByteArray head = d->file.peek(utf8Bom.size());
        QByteArray bytes;
        while (!head.startsWith(utf8Bom) && readChunk(&bytes) && !bytes.isEmpty()) {
            const QString decoded = utf8.decode(bytes); // decodes only when converted
            if (utf8.hasError()) {
                encoding = TextEncoding::Gb18030;
                break;
            }
        }
        if (!m_error.isEmpty())
            return false;
        d->file.seek(0);
        d->bytesRead = 0;
    }
    m_encoding = encoding;
    d->decoder = encoding == TextEncoding::Utf8 ? QStringDecoder(QStringDecoder::Utf8)
                                                : QStringDecoder("GB18030");
    return d->decoder.isValid() || fail(QStringLiteral("无法使用 %1 编码").arg(encodingName(encoding)));
}

bool CsvReader::fill()
{
    QByteArray bytes;
    if (!readChunk(&bytes))
        return false;
    if (bytes.isEmpty()) {
        d->atEnd = true;
        d->file.close();
        return false;
    }
    d->text = d->decoder.decode(bytes);
    d->position = 0;
    if (d->decoder.hasError())
        return fail(QStringLiteral("文件不是有效的 %1 文本，请选择其他编码。")
                        .arg(encodingName(m_encoding)));
    return true;
}

void CsvReader::endField()
{
    d->record.fields.append(unguardedCell(d->field));
    d->recordChars += d->field.size();
    d->field.clear();
    d->fieldStarted = false;
}

bool CsvReader::next(CsvRecord *record)
{
    Private &p = *d;
    // Ends the record; false for a line with nothing on it, which is no record.
    const auto endRecord = [&] {
        endField();
        m_peak = qMax(m_peak, p.text.size() + p.recordChars);
        const bool blank = p.record.fields.size() == 1 && p.record.fields.constFirst().isEmpty();
        if (!blank)
            *record = std::move(p.record);
        p.record = CsvRecord();
        p.record.line = p.line;
        p.recordChars = 0;
        return !blank;
    };
    if (p.record.line == 0)
        p.record.line = p.line;
    while (true) {
        if (p.position >= p.text.size()) {
            if (!m_error.isEmpty() || p.atEnd || !fill()) {
                if (!m_error.isEmpty())
                    return false;
                if (p.quoted && !p.quoteSeen)
                    return fail(QStringLiteral("第 %1 行的引号没有结束，其后的内容无法读取。")
                                    .arg(p.quoteLine));
                p.quoted = false;
                p.quoteSeen = false;
                if (!p.fieldStarted && p.record.fields.isEmpty() && p.field.isEmpty())
                    return false;
                p.fieldStarted = false;
                if (endRecord())
                    return true;
                continue;
            }
            m_peak = qMax(m_peak, p.text.size() + p.recordChars + p.field.size());
        }
        const QChar c = p.text.at(p.position++);
        if (p.skipLineFeed) {
            p.skipLineFeed = false;
            if (c == u'\n')
                continue;
        }
        if (p.quoted) {
            if (p.quoteSeen) {
                p.quoteSeen = false;
                if (c == u'"') {
                    p.field += c;
                    continue;
                }
                p.quoted = false; // and c is read as outside the quotes
            } else if (c == u'"') {
                p.quoteSeen = true;
                continue;
            } else {
                if (c == u'\n')
                    ++p.line;
                p.field += c;
                if (p.field.size() > cellLimit)
                    return fail(QStringLiteral("第 %1 行的引号没有结束，其后的内容无法读取。")
                                    .arg(p.quoteLine));
                continue;
            }
        }
        if (c == u'"' && !p.fieldStarted) {
            p.quoted = true;
            p.quoteLine = p.line;
            p.fieldStarted = true;
        } else if (c == u',') {
            endField();
        } else if (c == u'\r' || c == u'\n') {
            p.skipLineFeed = c == u'\r';
            ++p.line;
            if (endRecord())
                return true;
        } else {
            p.field += c;
            p.fieldStarted = true;
            if (p.field.size() > cellLimit)
                return fail(QStringLiteral("第 %1 行有超过 %2 个字符的单元格，不能导入。")
                                .arg(p.line)
                                .arg(cellLimit));
        }
    }
}

QStringList CsvFile::fields(int record) const
{
    QStringList fields;
    qsizetype start = record > 0 ? m_ends.at(record - 1) : 0;
    const qsizetype end = m_ends.at(record);
    while (start < end) {
        const qsizetype stop = m_cells.indexOf('\0', start);
        fields.append(QString::fromUtf8(m_cells.constData() + start, stop - start));
        start = stop + 1;
    }
    return fields;
}

void CsvFile::append(const CsvRecord &record)
{
    for (const QString &field : record.fields) {
        m_cells += field.toUtf8();
        m_cells += '\0';
    }
    m_ends.append(quint32(m_cells.size()));
    m_lines.append(record.line);
}

bool readCsvFile(const QString &path, TextEncoding encoding, CsvFile *file, QString *error)
{
    CsvReader reader;
    *file = CsvFile();
    if (reader.open(path, encoding)) {
        // Packed, the cells of a UTF-8 file take no more than the file.
        file->reserve(reader.fileSize());
        CsvRecord record;
        while (reader.next(&record))
            file->append(record);
    }
    if (!reader.error().isEmpty()) {
        *error = reader.error();
        *file = CsvFile();
        return false;
    }
    file->encoding = reader.encoding();
    return true;
}

QString csvLine(const QStringList &fields)
{
    QString line;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += u',';
        const QString field = guardedCell(fields.at(i));
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

QString quotedCell(const QString &text)
{
    constexpr qsizetype longest = 200;
    return text.size() <= longest ? text : text.left(longest) + QChar(u'\u2026');
}
