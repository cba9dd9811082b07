#include "searchbox.h"

#include "app/remindertray.h"
#include "store/databasethread.h"
#include "team/teammatedialog.h"
#include "widgets/rowactivation.h"

#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>
#include <QTableWidget>
#include <QTimer>

namespace {
QString kindText(FoundKind kind)
{
    switch (kind) {
    case FoundKind::Prospect:
        return QStringLiteral("准客户");
    case FoundKind::Recruit:
        return QStringLiteral("准增员");
    case FoundKind::Member:
        return QStringLiteral("团队成员");
    }
    return QString();
}

QString timeText(qint64 seconds)
{
    if (seconds <= 0)
        return QString();
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("yyyy-MM-dd hh:mm"));
}
} // namespace

SearchBox::SearchBox(QWidget *window) : QLineEdit(window), window(window)
{
    setObjectName(QStringLiteral("lineEditSearch"));
    setPlaceholderText(QStringLiteral("搜索姓名或号码 (Ctrl+F)"));
    setClearButtonEnabled(true);
    setMaximumWidth(260);
    // Longer text finds nothing anyway (SQLite refuses long LIKE patterns).
    setMaxLength(100);

    results = new QTableWidget(0, 5, window);
    results->setObjectName(QStringLiteral("tableWidgetSearchResults"));
    results->setHorizontalHeaderLabels({QStringLiteral("类别"), QStringLiteral("姓名"),
                                        QStringLiteral("电话"), QStringLiteral("最后联系"),
                                        QStringLiteral("下次联系")});
    results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    results->setSelectionBehavior(QAbstractItemView::SelectRows);
    results->setSelectionMode(QAbstractItemView::SingleSelection);
    results->verticalHeader()->hide();
    results->hide();
    activateRowsOnEnter(results);
    connect(results, &QTableWidget::doubleClicked, this,
            [this](const QModelIndex &index) { openRow(index.row()); });

    pause = new QTimer(this);
    pause->setSingleShot(true);
    pause->setInterval(250);
    connect(pause, &QTimer::timeout, this, &SearchBox::searchAfterPause);
    connect(this, &QLineEdit::textEdited, this, [this] {
        // What is still searched for the text before is of no use any more.
        ++searchGeneration;
        if (scanThread)
            scanThread->interrupt();
        pause->start();
    });
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (text.trimmed().isEmpty()) {
            pause->stop();
            results->hide();
        }
    });
    connect(this, &QLineEdit::returnPressed, this, [this] {
        pause->stop();
        if (!results->isVisible())
            searchNow();
        openRow(results->currentRow());
    });
}

SearchBox::~SearchBox() = default;

void SearchBox::searchAfterPause()
{
    if (!searchNeedsScan(text())) {
        searchNow();
        return;
    }
    if (!scanThread)
        scanThread = std::make_unique<DatabaseThread>(QStringLiteral("search"));
    const int generation = ++searchGeneration;
    const QString typed = text();
    QPointer<SearchBox> self(this);
    scanThread->post([self, generation, typed](const QSqlDatabase &db) {
        const QList<FoundPerson> people = searchPeople(typed, 50, db);
        QMetaObject::invokeMethod(
            self,
            [self, generation, people] {
                if (self && generation == self->searchGeneration)
                    self->showFound(people);
            },
            Qt::QueuedConnection);
    });
}

void SearchBox::searchNow()
{
    pause->stop();
    ++searchGeneration;
    showFound(searchPeople(text()));
}

void SearchBox::showFound(const QList<FoundPerson> &people)
{
    found = people;
    results->clearContents();
    results->setRowCount(int(found.size()));
    for (int row = 0; row < found.size(); ++row) {
        const FoundPerson &person = found.at(row);
        const QStringList cells{kindText(person.kind), person.name, person.phone,
                                timeText(person.lastContact), timeText(person.nextContact)};
        for (int column = 0; column < cells.size(); ++column)
            results->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
    if (found.isEmpty() || text().trimmed().isEmpty()) {
        results->hide();
        return;
    }
    results->resizeColumnsToContents();
    results->setCurrentCell(0, 0);
    placeResults();
    results->show();
    results->raise();
}

void SearchBox::placeResults()
{
    const QPoint below = mapTo(window, QPoint(0, height()));
    const int width = qMin(window->width() - below.x(), 560);
    results->setGeometry(below.x(), below.y(), qMax(width, 200), 240);
}

void SearchBox::openRow(int row)
{
    if (found.isEmpty())
        return;
    const FoundPerson person = found.at(row >= 0 && row < found.size() ? row : 0);
    results->hide();
    switch (person.kind) {
    case FoundKind::Prospect:
        runCallDialogFor(window, PersonKind::Prospect, person.id);
        break;
    case FoundKind::Recruit:
        runCallDialogFor(window, PersonKind::Recruit, person.id);
        break;
    case FoundKind::Member: {
        TeammateDialog dialog(window);
        dialog.showTeammate(person.id);
        dialog.exec();
        break;
    }
    }
}

void SearchBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Down && results->isVisible()) {
        results->setFocus();
        return;
    }
    if (event->key() == Qt::Key_Escape && results->isVisible()) {
        results->hide();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
