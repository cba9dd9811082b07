#pragma once

#include "store/searchstore.h"

#include <QLineEdit>
#include <QList>

class QTableWidget;
class QTimer;

// The toolbar's search box (Ctrl+F): a moment after typing stops it lists
// the prospects, recruits and team members whose name or number matches,
// under the box inside the window. Down moves into the list; Enter or a
// double click opens the call dialog of a prospect or recruit, or the team
// with the member chosen; Escape closes the list.
class SearchBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit SearchBox(QWidget *window);

    // Searches at once instead of after the pause.
    void searchNow();
    QTableWidget *resultList() const { return results; }
    // Opens the found person on the row (the first when none is chosen).
    void openRow(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void placeResults();

    QWidget *window;
    QTableWidget *results;
    QTimer *pause;
    QList<FoundPerson> found;
};
