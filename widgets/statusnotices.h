#pragma once

#include <QHash>
#include <QLabel>
#include <QString>
#include <QWidget>

#include <functional>

class QHBoxLayout;
class QStatusBar;

// The notices at the right of a main window's status bar (the team server,
// backups and damage, whatever joins later), each topic in a label of its
// own, side by side in one row beside the clock. Nothing is drawn over
// anything else: a notice too long for the room is cut short on screen (its
// text and tooltip stay whole), and a topic without text takes no room.
class StatusNotices : public QWidget
{
    Q_OBJECT
public:
    enum class Tone
    {
        Plain,
        Alarm
    };

    // The status bar's notices, created on first use.
    static StatusNotices *of(QStatusBar *bar);

    // The topic's label, created on first use after those already there; the
    // object name, when given, lets tests and callers find it.
    QLabel *label(const QString &topic, const QString &objectName = QString());
    // Shows the text under the topic; an empty text hides the topic.
    void set(const QString &topic, const QString &text, Tone tone = Tone::Plain);
    // A click on the topic's notice runs the action (none when empty).
    void setClickAction(const QString &topic, const std::function<void()> &action);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit StatusNotices(QStatusBar *bar);

    QHBoxLayout *m_layout;
    QHash<QString, QLabel *> m_labels;
    QHash<QObject *, std::function<void()>> m_actions;
};
