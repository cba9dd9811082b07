#pragma once

#include "common/phoneline.h"

#include <QFrame>
#include <QWidget>

// The window of an incoming call, at the bottom-right corner of the screen
// before it is answered: the caller's number and, for a known person, the
// name, the kind, the last contact and the next one due. 接听 answers and
// 拒接 declines (busy); the window goes when the call stops ringing.
class IncomingCallWindow : public QFrame
{
    Q_OBJECT
public:
    IncomingCallWindow(const CallParty &party, const QString &displayName);

    // The caller as shown: "13800000000", "张伟 (准客户)\n...".
    static QString describe(const CallParty &party, const QString &displayName);

signals:
    void answered();
    void declined();
};

// A call that no call dialog shows (dialled from a list, or an unknown
// caller answered) gets this small window with the call bar; it closes when
// the call ends.
class CallWindow : public QWidget
{
    Q_OBJECT
public:
    explicit CallWindow(QWidget *parent = nullptr);
};
