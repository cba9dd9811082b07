#pragma once

#include "store/searchstore.h"

#include <QLineEdit>
#include <QList>

#include <memory>

class DatabaseThread;
class QTableWidget;
class QTimer;

// The toolbar's search box (Ctrl+F): a moment after typing stops it lists
// the prospects, recruits and team members whose name or number matches,
// under the box inside the window. A search the indexes cannot answer (one or
// two digits inside numbers, an index still being built) runs on a thread of
// its own, and the next keystroke stops it. Down moves into the list; Enter or a
// double click opens the call dialog of a prospect or recruit, or the team
// with the member chosen; Escape closes the list.
class SearchBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit SearchBox(QWidget *window);
    ~SearchBox() override;

    // Searches at once instead of after the pause.
    void searchNow();
    QTableWidget *resultList() const { return results; }
    // Opens the found person on the row (the first when none is chosen).
    void openRow(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void placeResults();
    // After the pause: at once through the indexes, or on the thread.
    void searchAfterPause();
    void showFound(const QList<FoundPerson> &people);

    QWidget *window;
    QTableWidget *results;
    QTimer *pause;
    QList<FoundPerson> found;
    std::unique_ptr<DatabaseThread> scanThread;
    // The text each background search was for; older answers are dropped.
    int searchGeneration = 0;
};
