#include "todaypace.h"

#include "calling/todaylists.h"

#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>

namespace {
QProgressBar *paceBar(const QString &name, QWidget *parent)
{
    auto *bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setTextVisible(true);
    // Room for the whole caption: the bar draws it inside and clips the rest.
    bar->setMinimumWidth(bar->fontMetrics().horizontalAdvance(QStringLiteral("今日首次联系 999 / 999")) +
                         4 * bar->fontMetrics().averageCharWidth());
    return bar;
}

void showPace(QProgressBar *bar, const QString &caption, int done, int quota)
{
    // A quota of 0 would turn the bar into a busy indicator; more calls than
    // the quota fill it.
    bar->setRange(0, qMax(1, qMax(quota, done)));
    bar->setValue(done);
    bar->setFormat(QStringLiteral("%1 %2 / %3").arg(caption).arg(done).arg(quota));
}
} // namespace

QString paceTalkText(qint64 seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

TodayPace::TodayPace(QWidget *parent) : QGroupBox(QStringLiteral("今日进度"), parent)
{
    setObjectName(QStringLiteral("groupBoxTodayPace"));
    auto *form = new QFormLayout(this);
    customersBar = paceBar(QStringLiteral("progressBarFirstCustomers"), this);
    customersTalk = new QLabel(this);
    customersTalk->setObjectName(QStringLiteral("labelTalkCustomers"));
    helpersBar = paceBar(QStringLiteral("progressBarFirstHelpers"), this);
    helpersTalk = new QLabel(this);
    helpersTalk->setObjectName(QStringLiteral("labelTalkHelpers"));
    form->addRow(QStringLiteral("准客户:"), customersBar);
    form->addRow(QStringLiteral("通话时长:"), customersTalk);
    form->addRow(QStringLiteral("准增员:"), helpersBar);
    form->addRow(QStringLiteral("通话时长:"), helpersTalk);
}

void TodayPace::recount()
{
    const BoardRequest request = todayBoardRequest();
    showCounts(countBoard(request), request.customersQuota, request.helpersQuota);
}

void TodayPace::showCounts(const BoardCounts &counts, int customersQuota, int helpersQuota)
{
    showPace(customersBar, QStringLiteral("今日首次联系"), counts.firstCalledCustomers,
             customersQuota);
    showPace(helpersBar, QStringLiteral("今日首次联系"), counts.firstCalledHelpers, helpersQuota);
    customersTalk->setText(paceTalkText(counts.talkCustomers));
    helpersTalk->setText(paceTalkText(counts.talkHelpers));
}
