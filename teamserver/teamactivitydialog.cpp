#include "teamactivitydialog.h"
#include "ui_teamactivitydialog.h"

#include "common/dateutils.h"
#include "teamserver/memberlinks.h"
#include "teamserver/teamservercontroller.h"
#include "teamserver/teamserverreader.h"

#include <QBrush>
#include <QHeaderView>
#include <QSet>
#include <QTimer>

namespace {
const QColor missingColor(255, 224, 224);

QTableWidgetItem *fixedItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}
} // namespace

TeamActivityDialog::TeamActivityDialog(QWidget *parent, TeamServerReader *givenReader)
    : QDialog(parent), ui(std::make_unique<Ui::TeamActivityDialog>()), reader(givenReader)
{
    ui->setupUi(this);
    if (!reader && TeamServerController::instance())
        reader = TeamServerController::instance()->reader();
    QStringList headers = {QStringLiteral("成员"), QStringLiteral("服务器成员名"),
                           QStringLiteral("今日上报")};
    for (const QString &period : {QStringLiteral("今日"), QStringLiteral("本周")}) {
        for (int field = 0; field < ActivityFieldCount; ++field)
            headers << period + activityLabel(field);
    }
    ui->tableWidget->setColumnCount(int(headers.size()));
    ui->tableWidget->setHorizontalHeaderLabels(headers);
    ui->tableWidget->verticalHeader()->hide();
    connect(ui->tableWidget, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (!filling && item->column() == ServerName)
            linkEdited(item->row());
    });
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &TeamActivityDialog::on_pushButtonRefresh_clicked);
    timer->start(60 * 1000);
    // A server that takes its time is said, as in the status bar, rather
    // than leaving the last figures to look current.
    auto *waiting = new QTimer(this);
    connect(waiting, &QTimer::timeout, this, [this] {
        const qint64 busy = reader ? reader->busyMs() : 0;
        if (busy > 10000)
            ui->labelStatus->setText(QStringLiteral("等待服务器应答 (%1 秒)").arg(busy / 1000));
    });
    waiting->start(1000);
    on_pushButtonRefresh_clicked();
}

TeamActivityDialog::~TeamActivityDialog() = default;

void TeamActivityDialog::on_pushButtonRefresh_clicked()
{
    if (!reader) {
        showMembers({}, TeamServerController::whyNoReader(), 0);
        return;
    }
    ui->labelStatus->setText(QStringLiteral("正在读取..."));
    const QDate today = Clock::now().date();
    reader->readTeam(today, weekBeginDate(), this,
                     [this](const QList<MemberActivity> &members, const QString &error, qint64 ms) {
                         showMembers(members, error, ms);
                     });
}

void TeamActivityDialog::showMembers(const QList<MemberActivity> &members, const QString &error,
                                     qint64 ms)
{
    QHash<QString, const MemberActivity *> byName;
    for (const MemberActivity &member : members)
        byName.insert(member.member, &member);
    const QMap<int, QString> links = loadServerMemberLinks();
    const QList<LocalTeamMember> locals = loadLocalTeamMembers();
    QSet<QString> shown;

    filling = true;
    QTableWidget *table = ui->tableWidget;
    table->setRowCount(0);
    const auto addRow = [&](const QString &localName, int helperId, const QString &serverName) {
        const int row = table->rowCount();
        table->insertRow(row);
        QTableWidgetItem *nameItem = fixedItem(localName);
        nameItem->setData(Qt::UserRole, helperId);
        table->setItem(row, LocalName, nameItem);
        QTableWidgetItem *serverItem = new QTableWidgetItem(serverName);
        if (helperId < 0)
            serverItem->setFlags(serverItem->flags() & ~Qt::ItemIsEditable);
        table->setItem(row, ServerName, serverItem);
        const MemberActivity *activity = byName.value(serverName);
        const bool reported = activity && activity->reportedToday;
        const bool reportedThisWeek = activity && activity->reportedThisWeek;
        QString state = reported ? QStringLiteral("已上报") : QStringLiteral("今日未同步");
        if (serverName.isEmpty())
            state = QStringLiteral("未关联");
        table->setItem(row, TodayState, fixedItem(state));
        // No figures where nothing was published: a silent member's day is
        // unknown, not zero.
        for (int field = 0; field < ActivityFieldCount; ++field) {
            table->setItem(
                row, FirstFigure + field,
                fixedItem(reported ? activityText(field, activity->today[field]) : QString()));
            table->setItem(row, FirstFigure + ActivityFieldCount + field,
                           fixedItem(reportedThisWeek ? activityText(field, activity->week[field])
                                                      : QString()));
        }
        if (!reported) {
            for (int column = 0; column < table->columnCount(); ++column)
                table->item(row, column)->setBackground(missingColor);
        }
        shown.insert(serverName);
    };
    for (const LocalTeamMember &member : locals)
        addRow(member.name, member.helperId, links.value(member.helperId));
    // Members on the server whom no local team member is linked to yet.
    for (const MemberActivity &member : members) {
        if (!shown.contains(member.member))
            addRow(QString(), -1, member.member);
    }
    filling = false;
    table->resizeColumnsToContents();

    const QString time = Clock::now().toString(QStringLiteral("HH:mm:ss"));
    ui->labelStatus->setText(error.isEmpty()
                                 ? QStringLiteral("更新于 %1 (服务器 %2 毫秒)").arg(time).arg(ms)
                                 : QStringLiteral("无法读取团队服务器: ") + error.simplified());
    emit refreshed(error);
}

void TeamActivityDialog::linkEdited(int row)
{
    const int helperId = ui->tableWidget->item(row, LocalName)->data(Qt::UserRole).toInt();
    if (helperId < 0)
        return;
    if (saveServerMemberLink(helperId, ui->tableWidget->item(row, ServerName)->text().trimmed()))
        // Not from inside the table's own signal: the refresh rebuilds the rows.
        QTimer::singleShot(0, this, &TeamActivityDialog::on_pushButtonRefresh_clicked);
}

void TeamActivityDialog::on_pushButtonClose_clicked()
{
    close();
}
