#include "tablewriter.h"

#include "common/safefile.h"
#include "exchange/csvtext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <optional>

#include <xlsxwriter.h>

namespace {
// Excel refuses longer cell texts.
constexpr int maxCellLength = 32767;
// Whole numbers a spreadsheet's doubles hold exactly; larger ones stay text.
constexpr qint64 largestExactNumber = qint64(1) << 53;

// The cell's value as a number of its kind, when it is one.
std::optional<double> cellNumber(const QString &cell, CellKind kind)
{
    bool ok = false;
    if (kind == CellKind::Number) {
        const qint64 value = cell.toLongLong(&ok);
        if (ok && value <= largestExactNumber && value >= -largestExactNumber)
            return double(value);
    } else if (kind == CellKind::Percent && cell.endsWith(QLatin1Char('%'))) {
        const double value = cell.chopped(1).toDouble(&ok);
        if (ok)
            return value / 100.0;
    }
    return std::nullopt;
}

class CsvWriter : public TableWriter
{
public:
    explicit CsvWriter(const QString &path) : m_file(path) {}

    bool start()
    {
        if (!m_file.open()) {
            m_error = m_file.errorString();
            return false;
        }
        return write(QByteArray("\xEF\xBB\xBF"));
    }

    bool writeRow(const QStringList &cells) override { return write(csvLine(cells).toUtf8()); }

    bool finish() override
    {
        if (!m_file.commit()) {
            m_error = m_file.errorString();
            return false;
        }
        return true;
    }

    void cancel() override { m_file.cancel(); }

private:
    bool write(const QByteArray &bytes)
    {
        if (m_file.file().write(bytes) == bytes.size())
            return true;
        m_error = m_file.file().errorString();
        return false;
    }

    SafeFileWriter m_file;
};

class XlsxWriter : public TableWriter
{
public:
    explicit XlsxWriter(const QString &path) : m_file(path) {}

    ~XlsxWriter() override { cancel(); }

    bool start(const QString &sheetName)
    {
        if (!m_scratch.isValid()) {
            m_error = QStringLiteral("无法创建临时文件夹");
            return false;
        }
        if (!m_file.open()) {
            m_error = m_file.errorString();
            return false;
        }
        m_tmpDir = QFile::encodeName(m_scratch.path());
        lxw_workbook_options options = {};
        // Rows go to disk as they come: a hundred thousand rows stay small.
        options.constant_memory = LXW_TRUE;
        options.tmpdir = m_tmpDir.data();
        // The library opens by name: hand it the file created for us.
        m_workbook =
            workbook_new_opt(QFile::encodeName(m_file.descriptorPath()).constData(), &options);
        if (!m_workbook) {
            m_error = QStringLiteral("无法创建文件");
            m_file.cancel();
            return false;
        }
        m_sheet = workbook_add_worksheet(m_workbook, sheetName.toUtf8().constData());
        m_percent = workbook_add_format(m_workbook);
        if (!m_sheet || !m_percent) {
            m_error = QStringLiteral("无法创建工作表");
            cancel();
            return false;
        }
        format_set_num_format(m_percent, "0.0%");
        return true;
    }

    bool writeRow(const QStringList &cells) override
    {
        if (m_row >= LXW_ROW_MAX) {
            m_error = QStringLiteral("行数超过了 xlsx 文件的上限");
            return false;
        }
        for (int column = 0; column < cells.size(); ++column) {
            const QString &cell = cells.at(column);
            if (cell.isEmpty())
                continue;
            const CellKind kind = kindOf(column);
            const std::optional<double> number = cellNumber(cell, kind);
            lxw_error result = LXW_NO_ERROR;
            if (number) {
                result = worksheet_write_number(m_sheet, m_row, lxw_col_t(column), *number,
                                                kind == CellKind::Percent ? m_percent : nullptr);
            } else {
                const QByteArray text = cell.left(maxCellLength).toUtf8();
                result = worksheet_write_string(m_sheet, m_row, lxw_col_t(column), text.constData(),
                                                nullptr);
            }
            if (result != LXW_NO_ERROR) {
                m_error = QString::fromUtf8(lxw_strerror(result));
                return false;
            }
        }
        ++m_row;
        return true;
    }

    bool finish() override
    {
        lxw_workbook *workbook = m_workbook;
        m_workbook = nullptr;
        const lxw_error result = workbook_close(workbook);
        if (result != LXW_NO_ERROR) {
            m_error = QString::fromUtf8(lxw_strerror(result));
            m_file.cancel();
            return false;
        }
        // The finished file replaces the old one only now.
        if (!m_file.commit()) {
            m_error = m_file.errorString();
            return false;
        }
        return true;
    }

    void cancel() override
    {
        if (!m_workbook)
            return;
        workbook_close(m_workbook);
        m_workbook = nullptr;
        m_file.cancel();
    }

private:
    SafeFileWriter m_file;
    QTemporaryDir m_scratch;
    QByteArray m_tmpDir;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_percent = nullptr;
    lxw_row_t m_row = 0;
};
} // namespace

bool isSupportedExportPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("xlsx") || suffix == QLatin1String("csv");
}

std::unique_ptr<TableWriter> createTableWriter(const QString &path, const QString &sheetName,
                                               QString *error)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv")) {
        auto writer = std::make_unique<CsvWriter>(path);
        if (writer->start())
            return writer;
        *error = writer->error();
        return nullptr;
    }
    if (suffix == QLatin1String("xlsx")) {
        auto writer = std::make_unique<XlsxWriter>(path);
        if (writer->start(sheetName))
            return writer;
        *error = writer->error();
        return nullptr;
    }
    *error = QStringLiteral("只能导出为 .xlsx 或 .csv 文件");
    return nullptr;
}
