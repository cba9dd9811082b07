#include "listexportdialog.h"

#include "widgets/messageboxes.h"
#include "widgets/filechooser.h"
#include "exchange/tablewriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QProgressDialog>

void exportListInteractively(QWidget *parent, const ExportSource &source,
                             const QString &suggestedName)
{
    QString path =
        FileChooser::saveFileName(parent, QStringLiteral("导出"),
                                  QDir::home().filePath(suggestedName + QStringLiteral(".xlsx")),
                                  QStringLiteral("Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv)"));
    if (path.isEmpty())
        return;
    if (!isSupportedExportPath(path))
        path += QStringLiteral(".xlsx");

    QProgressDialog progress(QStringLiteral("正在导出..."), QStringLiteral("取消"), 0, 0, parent);
    progress.setWindowTitle(QStringLiteral("导出"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    const ExportResult result = exportList(source, path, [&](qint64 done, qint64 total) {
        progress.setMaximum(int(qMin<qint64>(total, std::numeric_limits<int>::max())));
        progress.setValue(int(qMin<qint64>(done, progress.maximum())));
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
    QGuiApplication::restoreOverrideCursor();
    progress.reset();
    const QString summary = exportSummary(result, path);
    if (result.outcome == ExportResult::Failed)
        showWarning(parent, summary, QStringLiteral("提示"));
    else
        showInformation(parent, summary, QStringLiteral("提示"));
}

void exportRowsInteractively(QWidget *parent, const QString &sheetName, const QStringList &headers,
                             const QList<QStringList> &rows, const QString &suggestedName,
                             const QList<CellKind> &kinds)
{
    QString path =
        FileChooser::saveFileName(parent, QStringLiteral("导出数据"),
                                  QDir::home().filePath(suggestedName + QStringLiteral(".csv")),
                                  QStringLiteral("CSV 文件 (*.csv);;Excel 工作簿 (*.xlsx)"));
    if (path.isEmpty())
        return;
    if (!isSupportedExportPath(path))
        path += QStringLiteral(".csv");
    const ExportResult result = exportRows(sheetName, headers, rows, path, kinds);
    const QString summary = exportSummary(result, path);
    if (result.outcome == ExportResult::Failed)
        showWarning(parent, summary, QStringLiteral("提示"));
    else
        showInformation(parent, summary, QStringLiteral("提示"));
}
