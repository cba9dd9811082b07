#include "importpeopledialog.h"
#include "ui_importpeopledialog.h"

#include "widgets/messageboxes.h"
#include "widgets/filechooser.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QStringListModel>

namespace {
const QString promptTitle = QStringLiteral("提示");
const QColor problemColour(255, 205, 205);
const QColor duplicateColour(255, 240, 180);
} // namespace

ImportPeopleDialog::ImportPeopleDialog(PersonTable table, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::ImportPeopleDialog>()), table(table)
{
    ui->setupUi(this);
    // One list of the file's columns serves all eight boxes: a header line of
    // a million columns is held once, not eight times.
    auto *columns = new QStringListModel(this);
    for (QComboBox *box : fieldBoxes())
        box->setModel(columns);
    setWindowTitle(table == PersonTable::Customers ? QStringLiteral("导入准客户")
                                                   : QStringLiteral("导入准增员"));
    for (QComboBox *box : fieldBoxes())
        connect(box, &QComboBox::activated, this, [this] { replan(); });
    ui->groupBoxMapping->setEnabled(false);
    ui->pushButtonBrowse->setFocus();
}

ImportPeopleDialog::~ImportPeopleDialog() = default;

QList<QComboBox *> ImportPeopleDialog::fieldBoxes() const
{
    return {ui->comboBoxName,    ui->comboBoxSex,         ui->comboBoxBirthDate,
            ui->comboBoxPhone,   ui->comboBoxHomeAddress, ui->comboBoxHomeTel,
            ui->comboBoxCompany, ui->comboBoxOffice};
}

void ImportPeopleDialog::on_pushButtonBrowse_clicked()
{
    const QString chosen = FileChooser::openFileName(
        this, windowTitle(), QStringLiteral("CSV 文件 (*.csv *.txt);;所有文件 (*)"));
    if (chosen.isEmpty())
        return;
    path = chosen;
    ui->lineEditFile->setText(QDir::toNativeSeparators(path));
    loadFile();
}

void ImportPeopleDialog::on_comboBoxEncoding_activated(int)
{
    if (!path.isEmpty())
        loadFile();
}

void ImportPeopleDialog::loadFile()
{
    static const TextEncoding encodings[] = {TextEncoding::Automatic, TextEncoding::Utf8,
                                             TextEncoding::Gb18030};
    const TextEncoding chosen = encodings[qBound(0, ui->comboBoxEncoding->currentIndex(), 2)];
    QString error;
    file = CsvFile();
    if (!readCsvFile(path, chosen, &file, &error)) {
        file = CsvFile();
        showWarning(this, error, promptTitle);
    } else if (file.isEmpty()) {
        showWarning(this, QStringLiteral("文件中没有数据。"), promptTitle);
    }
    ui->labelEncoding->setText(file.isEmpty()
                                   ? QStringLiteral("编码:")
                                   : QStringLiteral("编码 (%1):").arg(encodingName(file.encoding)));
    fillMapping();
    replan();
}

void ImportPeopleDialog::fillMapping()
{
    const QStringList headers =
        file.isEmpty() ? QStringList() : file.fields(0);
    const ColumnMapping guessed = guessMapping(headers);
    // Item i + 1 is column i.
    QStringList items{QStringLiteral("(不导入)")};
    for (int column = 0; column < headers.size(); ++column) {
        const QString header = headers.at(column).trimmed();
        items.append(header.isEmpty() ? QStringLiteral("第 %1 列").arg(column + 1)
                                      : quotedCell(header));
    }
    const QList<QComboBox *> boxes = fieldBoxes();
    for (QComboBox *box : boxes)
        box->blockSignals(true);
    qobject_cast<QStringListModel *>(boxes.constFirst()->model())->setStringList(items);
    for (int field = 0; field < boxes.size(); ++field) {
        boxes.at(field)->setCurrentIndex(guessed.value(field, -1) + 1);
        boxes.at(field)->blockSignals(false);
    }
    ui->groupBoxMapping->setEnabled(!headers.isEmpty());
}

ColumnMapping ImportPeopleDialog::mapping() const
{
    ColumnMapping result;
    for (QComboBox *box : fieldBoxes())
        result.append(qMax(-1, box->currentIndex() - 1));
    return result;
}

void ImportPeopleDialog::replan()
{
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    plan = file.isEmpty() ? ImportPlan() : planImport(table, file, mapping());
    QGuiApplication::restoreOverrideCursor();
    showPreview();
}

void ImportPeopleDialog::on_checkBoxAllowDuplicates_toggled(bool)
{
    showPreview();
}

void ImportPeopleDialog::showPreview()
{
    QTableWidget *preview = ui->tableWidgetPreview;
    preview->clear();
    QStringList headers{QStringLiteral("行号")};
    for (int field = 0; field < FieldCount; ++field)
        headers.append(personFieldLabel(field));
    headers.append(QStringLiteral("问题"));
    preview->setColumnCount(int(headers.size()));
    preview->setHorizontalHeaderLabels(headers);
    const int shown = int(qMin<qsizetype>(plan.rows.size(), previewRows));
    preview->setRowCount(shown);
    const ColumnMapping columns = mapping();
    const bool allowDuplicates = ui->checkBoxAllowDuplicates->isChecked();
    for (int row = 0; row < shown; ++row) {
        const ImportRow &item = plan.rows.at(row);
        QStringList cells{QString::number(item.line)};
        const QStringList fileCells = plan.cells(item);
        for (int field = 0; field < FieldCount; ++field)
            cells.append(fileCells.value(columns.value(field, -1)));
        cells.append(skipReason(plan, item));
        const bool problem = item.hasProblem;
        const bool duplicate = !problem && item.isDuplicate();
        for (int column = 0; column < cells.size(); ++column) {
            auto *cell = new QTableWidgetItem(cells.at(column));
            if (problem)
                cell->setBackground(problemColour);
            else if (duplicate)
                cell->setBackground(duplicateColour);
            preview->setItem(row, column, cell);
        }
    }
    preview->resizeColumnsToContents();

    qint64 good = 0, bad = 0, duplicates = 0;
    for (const ImportRow &item : plan.rows) {
        if (item.hasProblem)
            ++bad;
        else if (item.isDuplicate())
            ++duplicates;
        else
            ++good;
    }
    QString summary;
    if (!plan.mappingProblem.isEmpty())
        summary = plan.mappingProblem;
    else if (!file.isEmpty())
        summary = QStringLiteral("共 %1 行: 可导入 %2 行, 有问题 %3 行, 号码重复 %4 行")
                      .arg(plan.rows.size())
                      .arg(good + (allowDuplicates ? duplicates : 0))
                      .arg(bad)
                      .arg(duplicates);
    ui->labelSummary->setText(summary);
    ui->pushButtonImport->setEnabled(plan.mappingProblem.isEmpty() && !plan.rows.isEmpty());
}

void ImportPeopleDialog::on_pushButtonImport_clicked()
{
    if (!plan.mappingProblem.isEmpty() || plan.rows.isEmpty())
        return;
    QProgressDialog progress(QStringLiteral("正在导入..."), QStringLiteral("取消"), 0, 0, this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    const ImportResult result =
        runImport(plan, ui->checkBoxAllowDuplicates->isChecked(), [&](qint64 done, qint64 total) {
            progress.setMaximum(int(qMin<qint64>(total, std::numeric_limits<int>::max())));
            progress.setValue(int(qMin<qint64>(done, progress.maximum())));
            QCoreApplication::processEvents();
            return !progress.wasCanceled();
        });
    QGuiApplication::restoreOverrideCursor();
    progress.reset();

    const QString summary = importSummary(result);
    ui->labelResult->setText(summary);
    ui->listWidgetSkipped->clear();
    skipped.clear();
    if (result.outcome == ImportResult::Done) {
        m_imported = result.imported;
        skipped = result.skipped;
        ui->listWidgetSkipped->addItems(skippedLines(result));
    }
    ui->pushButtonSaveSkipped->setEnabled(!skipped.isEmpty());
    if (result.outcome == ImportResult::Failed)
        showWarning(this, summary, promptTitle);
    else
        showInformation(this, summary, promptTitle);
    // What was just stored now counts as a duplicate for a second press.
    if (result.outcome == ImportResult::Done)
        replan();
}

void ImportPeopleDialog::on_pushButtonSaveSkipped_clicked()
{
    const QString target = FileChooser::saveFileName(
        this, QStringLiteral("保存跳过的行"),
        path.isEmpty() ? QString()
                       : path.left(path.lastIndexOf(u'.')) + QStringLiteral("-跳过.csv"),
        QStringLiteral("CSV 文件 (*.csv)"));
    if (target.isEmpty())
        return;
    QString error;
    if (!saveSkippedRows(target, plan, skipped, &error))
        showWarning(this, QStringLiteral("无法保存文件: %1").arg(error), promptTitle);
}

void ImportPeopleDialog::on_pushButtonClose_clicked()
{
    close();
}
