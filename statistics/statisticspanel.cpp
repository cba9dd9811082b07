#include "statisticspanel.h"

#include "common/safefile.h"
#include "exchange/listexportdialog.h"
#include "widgets/filechooser.h"
#include "widgets/messageboxes.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QDir>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QHorizontalStackedBarSeries>
#include <QLabel>
#include <QLineSeries>
#include <QPen>
#include <QPushButton>
#include <QStackedBarSeries>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {
enum Page
{
    ChartPage,
    TablePage,
    MessagePage
};

const QString promptTitle = QStringLiteral("提示");
const QString percentHeader = QStringLiteral("占比");

// A category axis drops repeated names; two members or products of the same
// name must still get a bar each.
QStringList distinctLabels(const QStringList &labels)
{
    QStringList result;
    for (const QString &label : labels) {
        QString candidate = label.isEmpty() ? QStringLiteral("-") : label;
        for (int n = 2; result.contains(candidate); ++n)
            candidate = QStringLiteral("%1 (%2)").arg(label).arg(n);
        result.append(candidate);
    }
    return result;
}

QValueAxis *valueAxis(const QString &title)
{
    auto *axis = new QValueAxis;
    axis->setTitleText(title);
    // Whole numbers, also above 2^31, never in exponent form.
    axis->setLabelFormat(QStringLiteral("%.0f"));
    return axis;
}

// From zero to a little above the highest value, with whole-number ticks.
void fitWhole(QValueAxis *axis, qint64 highest)
{
    if (highest <= 10) {
        const qint64 top = std::max<qint64>(highest + 1, 2);
        axis->setRange(0, double(top));
        axis->setTickCount(int(top) + 1);
        return;
    }
    axis->setRange(0, double(highest) * 1.1);
    axis->applyNiceNumbers();
}

// The share of each value in percent, one decimal; empty without a base.
QStringList percentages(const StatTable &table, ChartSpec::Percent percent)
{
    QStringList texts;
    qint64 base = 0;
    if (percent == ChartSpec::OfFirst && !table.rows.isEmpty())
        base = table.rows.first().value(0);
    for (const QList<qint64> &row : table.rows) {
        if (percent == ChartSpec::OfTotal)
            base += row.value(0);
    }
    for (const QList<qint64> &row : table.rows)
        texts.append(base > 0
                         ? QString::number(100.0 * double(row.value(0)) / double(base), 'f', 1) +
                               QLatin1Char('%')
                         : QString());
    return texts;
}
} // namespace

StatisticsPanel::StatisticsPanel(QWidget *parent) : QWidget(parent)
{
    m_tableButton = new QPushButton(QStringLiteral("表格"), this);
    m_tableButton->setObjectName(QStringLiteral("pushButtonTable"));
    m_tableButton->setCheckable(true);
    m_imageButton = new QPushButton(QStringLiteral("导出图片..."), this);
    m_imageButton->setObjectName(QStringLiteral("pushButtonExportImage"));
    m_dataButton = new QPushButton(QStringLiteral("导出数据..."), this);
    m_dataButton->setObjectName(QStringLiteral("pushButtonExportData"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_tableButton);
    buttons->addWidget(m_imageButton);
    buttons->addWidget(m_dataButton);

    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    // Not from inside the chart's own layout pass.
    connect(m_chart, &QChart::plotAreaChanged, this, [this] {
        QMetaObject::invokeMethod(this, &StatisticsPanel::thinLabels, Qt::QueuedConnection);
    });
    m_view = new QChartView(m_chart, this);
    m_view->setRenderHint(QPainter::Antialiasing);
    m_model = new QStandardItemModel(this);
    m_tableView = new QTableView(this);
    m_tableView->setModel(m_model);
    m_tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tableView->verticalHeader()->hide();
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("labelMessage"));
    m_message->setAlignment(Qt::AlignCenter);
    m_pages = new QStackedWidget(this);
    m_pages->insertWidget(ChartPage, m_view);
    m_pages->insertWidget(TablePage, m_tableView);
    m_pages->insertWidget(MessagePage, m_message);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(m_pages);

    connect(m_tableButton, &QPushButton::toggled, this, &StatisticsPanel::showPage);
    connect(m_imageButton, &QPushButton::clicked, this, &StatisticsPanel::exportImage);
    connect(m_dataButton, &QPushButton::clicked, this, &StatisticsPanel::exportData);
    showMessage(QStringLiteral("正在统计..."));
}

void StatisticsPanel::showMessage(const QString &text)
{
    m_hasFigures = false;
    m_message->setText(text);
    showPage();
}

QString StatisticsPanel::messageText() const
{
    return m_hasFigures ? QString() : m_message->text();
}

void StatisticsPanel::showPage()
{
    m_imageButton->setEnabled(m_hasFigures);
    m_dataButton->setEnabled(m_hasFigures);
    m_tableButton->setEnabled(m_hasFigures);
    if (!m_hasFigures)
        m_pages->setCurrentIndex(MessagePage);
    else
        m_pages->setCurrentIndex(m_tableButton->isChecked() ? TablePage : ChartPage);
}

void StatisticsPanel::showTable(const ChartSpec &spec, const StatTable &table)
{
    m_title = spec.title;
    fillModel(spec, table);
    rebuildChart(spec, table);
    if (!table.hasData(spec.dataColumns)) {
        showMessage(QStringLiteral("暂无数据"));
        return;
    }
    m_hasFigures = true;
    showPage();
}

void StatisticsPanel::fillModel(const ChartSpec &spec, const StatTable &table)
{
    m_model->clear();
    QStringList headers = table.headers;
    const QStringList shares = percentages(table, spec.percent);
    if (spec.percent != ChartSpec::NoPercent)
        headers.append(percentHeader);
    m_model->setHorizontalHeaderLabels(headers);
    for (int row = 0; row < table.rows.size(); ++row) {
        QList<QStandardItem *> items{new QStandardItem(table.labels.value(row))};
        for (qint64 value : table.rows.at(row)) {
            auto *item = new QStandardItem(QString::number(value));
            item->setData(value, Qt::UserRole);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            items.append(item);
        }
        if (spec.percent != ChartSpec::NoPercent)
            items.append(new QStandardItem(shares.value(row)));
        m_model->appendRow(items);
    }
    m_tableView->resizeColumnsToContents();
}

void StatisticsPanel::rebuildChart(const ChartSpec &spec, const StatTable &fullTable)
{
    m_chart->removeAllSeries();
    const QList<QAbstractAxis *> axes = m_chart->axes();
    for (QAbstractAxis *axis : axes) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    m_thinAxis = nullptr;
    m_chart->setTitle(spec.title);

    StatTable table = fullTable;
    if (spec.chartRows >= 0 && spec.chartRows < table.rows.size()) {
        table.rows.resize(spec.chartRows);
        table.labels.resize(spec.chartRows);
    }
    const QStringList labels = distinctLabels(table.labels);
    const QStringList shares = percentages(fullTable, spec.percent);
    QAbstractBarSeries *bars = nullptr;
    if (spec.horizontal)
        bars = spec.stacked ? static_cast<QAbstractBarSeries *>(new QHorizontalStackedBarSeries)
                            : new QHorizontalBarSeries;
    else
        bars = spec.stacked ? static_cast<QAbstractBarSeries *>(new QStackedBarSeries)
                            : new QBarSeries;
    for (int column = 0; column < spec.barColumns; ++column) {
        auto *set = new QBarSet(table.headers.value(column + 1));
        for (const QList<qint64> &row : table.rows)
            set->append(double(row.value(column)));
        // Hovering a bar names its bucket and its exact value.
        connect(set, &QBarSet::hovered, this, [=](bool status, int index) {
            if (!status) {
                QToolTip::hideText();
                return;
            }
            QString text = QStringLiteral("%1\n%2: %3")
                               .arg(table.labels.value(index), set->label())
                               .arg(table.rows.value(index).value(column));
            if (!shares.value(index).isEmpty())
                text += QStringLiteral(" (%1)").arg(shares.value(index));
            QToolTip::showText(QCursor::pos(), text);
        });
        bars->append(set);
    }
    if (spec.percent != ChartSpec::NoPercent) {
        bars->setLabelsVisible(true);
        bars->setLabelsPosition(QAbstractBarSeries::LabelsInsideBase);
    }
    m_chart->addSeries(bars);

    QAbstractAxis *categories = nullptr;
    if (!spec.horizontal && labels.size() > 12) {
        // A year's weeks side by side leave each bar too little room for
        // its name: the names stand upright, every so many bars.
        m_thinAxis = new QCategoryAxis;
        m_thinAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        m_thinAxis->setStartValue(-0.5);
        m_thinAxis->setRange(-0.5, double(labels.size()) - 0.5);
        m_thinAxis->setLabelsAngle(-90);
        m_thinAxis->setGridLineVisible(false);
        m_axisLabels = labels;
        m_labelStep = 0;
        categories = m_thinAxis;
    } else {
        auto *named = new QBarCategoryAxis;
        named->append(labels);
        categories = named;
    }
    categories->setTitleText(table.headers.value(0));
    QValueAxis *values = valueAxis(spec.valueTitle);
    m_chart->addAxis(categories, spec.horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    m_chart->addAxis(values, spec.horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    bars->attachAxis(categories);
    bars->attachAxis(values);
    thinLabels();

    if (spec.lineColumn >= 0) {
        auto *line = new QLineSeries;
        line->setName(table.headers.value(spec.lineColumn + 1));
        line->setPointsVisible(true);
        if (spec.lineAxisTitle.isEmpty())
            line->setPen(QPen(QColor(0xd0, 0x30, 0x30), 2, Qt::DashLine));
        for (int row = 0; row < table.rows.size(); ++row)
            line->append(row, double(table.rows.at(row).value(spec.lineColumn)));
        connect(line, &QLineSeries::hovered, this, [=](const QPointF &point, bool state) {
            const int index = qRound(point.x());
            if (!state || index < 0 || index >= table.rows.size()) {
                QToolTip::hideText();
                return;
            }
            QToolTip::showText(QCursor::pos(),
                               QStringLiteral("%1\n%2: %3")
                                   .arg(table.labels.value(index), line->name())
                                   .arg(table.rows.at(index).value(spec.lineColumn)));
        });
        m_chart->addSeries(line);
        line->attachAxis(categories);
        if (spec.lineAxisTitle.isEmpty()) {
            line->attachAxis(values);
        } else {
            QValueAxis *own = valueAxis(spec.lineAxisTitle);
            // The rotated title of a right-hand axis gets no width of its own
            // and is cut short; labels as wide as it keep it whole.
            own->setLabelFormat(QStringLiteral("%.0f    "));
            m_chart->addAxis(own, Qt::AlignRight);
            line->attachAxis(own);
            qint64 top = 0;
            for (const QList<qint64> &row : table.rows)
                top = std::max(top, row.value(spec.lineColumn));
            fitWhole(own, top);
        }
    }
    // Both sets of bars and the line start from zero on one scale.
    qint64 highest = 0;
    for (const QList<qint64> &row : table.rows) {
        qint64 sum = 0;
        for (int column = 0; column < spec.barColumns; ++column)
            sum = spec.stacked ? sum + row.value(column) : std::max(sum, row.value(column));
        if (spec.lineColumn >= 0 && spec.lineAxisTitle.isEmpty())
            sum = std::max(sum, row.value(spec.lineColumn));
        highest = std::max(highest, sum);
    }
    fitWhole(values, highest);
    m_chart->legend()->setVisible(true);
}

void StatisticsPanel::thinLabels()
{
    if (!m_thinAxis)
        return;
    const qreal room = m_chart->plotArea().width() > 0 ? m_chart->plotArea().width() : 600;
    // Upright names need a line's height each, and a little air.
    const qreal perLabel = QFontMetricsF(m_thinAxis->labelsFont()).height() * 1.5;
    const int step = std::max(1, int(std::ceil(double(m_axisLabels.size()) * perLabel / room)));
    if (step == m_labelStep)
        return;
    m_labelStep = step;
    for (const QString &label : m_thinAxis->categoriesLabels())
        m_thinAxis->remove(label);
    QStringList used;
    for (int index = 0; index < m_axisLabels.size(); index += step) {
        // A bucket's first day says enough ("2024-02-26~03-03" as "02-26").
        const QString &full = m_axisLabels.at(index);
        QString label =
            full.size() >= 10 && full.at(4) == u'-' && full.at(7) == u'-' ? full.mid(5, 5) : full;
        if (used.contains(label))
            label = full;
        used.append(label);
        m_thinAxis->append(label, index);
    }
}

QString StatisticsPanel::suggestedName() const
{
    return QDir::home().filePath(m_title.isEmpty() ? QStringLiteral("统计") : m_title);
}

void StatisticsPanel::exportImage()
{
    if (!m_hasFigures)
        return;
    QString path = FileChooser::saveFileName(this, QStringLiteral("导出图片"),
                                             suggestedName() + QStringLiteral(".png"),
                                             QStringLiteral("PNG 图片 (*.png)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        path += QStringLiteral(".png");
    // The chart as it stands, also while the table is shown.
    if (m_view->width() < 200 || m_view->height() < 150)
        m_view->resize(std::max(m_pages->width(), 800), std::max(m_pages->height(), 500));
    const QImage image = m_view->grab().toImage();
    // Written as every export is: a new owner-only file beside the target,
    // renamed over it only when complete, never through a planted link.
    SafeFileWriter file(path);
    QString error;
    if (!file.open())
        error = file.errorString();
    else if (!image.save(&file.file(), "PNG"))
        error = file.file().errorString();
    else if (!file.commit())
        error = file.errorString();
    if (!error.isEmpty()) {
        file.cancel();
        showWarning(this, QStringLiteral("导出失败: %1").arg(error), promptTitle);
        return;
    }
    showInformation(this, QStringLiteral("已导出图片到 %1").arg(QDir::toNativeSeparators(path)),
                    promptTitle);
}

void StatisticsPanel::exportData()
{
    if (!m_hasFigures)
        return;
    QStringList headers;
    // In a workbook the figures are numbers a formula can sum, the shares percentages.
    QList<CellKind> kinds;
    for (int column = 0; column < m_model->columnCount(); ++column) {
        headers.append(m_model->headerData(column, Qt::Horizontal).toString());
        kinds.append(column == 0                       ? CellKind::Text
                     : headers.last() == percentHeader ? CellKind::Percent
                                                       : CellKind::Number);
    }
    QList<QStringList> rows;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < m_model->columnCount(); ++column)
            cells.append(m_model->index(row, column).data().toString());
        rows.append(cells);
    }
    exportRowsInteractively(this, m_title.left(31), headers, rows, m_title, kinds);
}
