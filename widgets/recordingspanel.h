#pragma once

#include <QWidget>

class QAudioOutput;
class QLabel;
class QListWidget;
class QMediaPlayer;
class QPushButton;
class QTableView;

// The recordings of the person a call dialog shows: "播放录音" plays the one
// of the contact chosen in the history (the history's "录音" column says
// which have one), and "未保存的录音" lists the calls that ended without a
// saved log, to play or delete; the next saved log takes them. A recording
// whose file is missing or whose hash differs says so instead of playing.
class RecordingsPanel : public QWidget
{
    Q_OBJECT
public:
    RecordingsPanel(QTableView *history, QWidget *parent);
    ~RecordingsPanel() override;

    // The person shown (kind 1 prospect, 2 recruit) and the number.
    void showPerson(int kind, qint64 personId, const QString &phone);
    // The unsaved calls listed now, for the log about to be saved.
    QList<qint64> unsavedCalls() const;
    // Their talk time together, seconds.
    qint64 unsavedSeconds() const;
    // Reads the unsaved calls again (a call ended, a log took them).
    void reload();
    // Plays a file of recordings/ after checking it; false (said in the
    // panel) when it is missing or altered.
    bool play(const QString &file, const QString &sha256);
    QMediaPlayer *player() const { return m_player; }

private:
    void playChosenLog();
    void followSelection();

    QTableView *m_history;
    int m_kind = 0;
    qint64 m_personId = -1;
    QString m_phone;
    QListWidget *m_unsaved = nullptr;
    QLabel *m_unsavedLabel = nullptr;
    QLabel *m_state = nullptr;
    QPushButton *m_playLog = nullptr;
    QPushButton *m_playUnsaved = nullptr;
    QPushButton *m_deleteUnsaved = nullptr;
    QPushButton *m_stop = nullptr;
    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_output = nullptr;
};
