#pragma once

#include <QGroupBox>

struct BoardCounts;

class QLabel;
class QProgressBar;

// Today's pace under the reminder numbers: first calls against the daily
// quota as progress bars, and the day's talk time, for prospects and
// recruits. Recounted together with the board, so never when nothing changed.
class TodayPace : public QGroupBox
{
    Q_OBJECT
public:
    explicit TodayPace(QWidget *parent = nullptr);

    void recount();
    // Shows counts made elsewhere (the board's, perhaps on a worker).
    void showCounts(const BoardCounts &counts, int customersQuota, int helpersQuota);

private:
    QProgressBar *customersBar;
    QLabel *customersTalk;
    QProgressBar *helpersBar;
    QLabel *helpersTalk;
};

// "1:05:09": hours, minutes and seconds of a talk time.
QString paceTalkText(qint64 seconds);
