#pragma once

#include <QWidget>

class PhoneLine;
class QLabel;
class QPushButton;
class QTimer;

// The call of the built-in telephone where the agent works: its state
// (呼叫中, 振铃, 通话中 mm:ss, 已结束: reason), the notice that it is being
// recorded, 挂断 (Ctrl+E, and Esc while it rings), 静音, 保持 and a keypad
// whose tones (DTMF) also come from the digit keys while the bar has the
// focus. Hidden while the line has no call; shows nothing without a line.
class CallBar : public QWidget
{
    Q_OBJECT
public:
    explicit CallBar(QWidget *parent = nullptr);
    ~CallBar() override;

    // Shows the last call's end until the next one starts; false hides the
    // bar once a call has ended (a window of its own closes then).
    void setKeepEnded(bool keep) { keepEnded = keep; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void follow();
    void setViewing(bool viewing);

    PhoneLine *line = nullptr;
    QLabel *stateLabel = nullptr;
    QLabel *recordingLabel = nullptr;
    QPushButton *hangUpButton = nullptr;
    QPushButton *muteButton = nullptr;
    QPushButton *holdButton = nullptr;
    QWidget *keypad = nullptr;
    QTimer *tick = nullptr;
    bool keepEnded = true;
    bool viewing = false;
};
