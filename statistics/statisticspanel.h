#pragma once

#include "store/statisticsstore.h"

#include <QWidget>

class QCategoryAxis;
class QChart;
class QChartView;
class QLabel;
class QPushButton;
class QStackedWidget;
class QStandardItemModel;
class QTableView;

// How one series is drawn: the first barColumns values of each row as bars
// (stacked or side by side, upright or lying), one further column as a line
// (on its own axis when it has a title), and, where a share matters, the
// percentage of the first row or of the total beside each value.
struct ChartSpec
{
    enum Percent
    {
        NoPercent,
        OfFirst,
        OfTotal
    };
    QString title;
    QString valueTitle;
    int barColumns = 1;
    bool stacked = false;
    bool horizontal = false;
    int lineColumn = -1;
    QString lineAxisTitle;
    Percent percent = NoPercent;
    // Only these first columns decide whether there is anything to show.
    int dataColumns = -1;
    // The chart draws only the first rows (all when negative); a summed-up
    // row would dwarf the others and stays in the table.
    int chartRows = -1;
};

// One chart of the statistics window with its table, its "表格" switch and
// its exports; "暂无数据" instead of empty axes.
class StatisticsPanel : public QWidget
{
    Q_OBJECT

public:
    explicit StatisticsPanel(QWidget *parent = nullptr);

    // A text instead of the chart (loading, a reason, a failure).
    void showMessage(const QString &text);
    void showTable(const ChartSpec &spec, const StatTable &table);

    bool hasFigures() const { return m_hasFigures; }
    QChart *chart() const { return m_chart; }
    const QStandardItemModel *model() const { return m_model; }
    QString messageText() const;

    // Asks for a file and writes the chart as PNG, or the table as CSV.
    void exportImage();
    void exportData();

private:
    void showPage();
    // Labels every so many bars, as many as the axis has room for.
    void thinLabels();
    void rebuildChart(const ChartSpec &spec, const StatTable &table);
    void fillModel(const ChartSpec &spec, const StatTable &table);
    QString suggestedName() const;

    QPushButton *m_tableButton = nullptr;
    QPushButton *m_imageButton = nullptr;
    QPushButton *m_dataButton = nullptr;
    QStackedWidget *m_pages = nullptr;
    QChartView *m_view = nullptr;
    QChart *m_chart = nullptr;
    QTableView *m_tableView = nullptr;
    QStandardItemModel *m_model = nullptr;
    QLabel *m_message = nullptr;
    bool m_hasFigures = false;
    QString m_title;
    // A bucket axis with more bars than room for their names.
    QCategoryAxis *m_thinAxis = nullptr;
    QStringList m_axisLabels;
    int m_labelStep = 0;
};
