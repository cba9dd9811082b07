#pragma once

#include <QString>
#include <QUrl>

class QAbstractItemView;
class QAction;
class QObject;
class QWidget;

// Dialling through the desktop: the number goes into the link of the
// settings ("拨号方式") and the link to whatever program the desktop has for
// its scheme (a softphone, or a phone link that makes the paired mobile
// dial). Nothing is ever run through a shell.

// Column of the number in the relatives model (ID, 客户ID, 关系, 姓名, 性别, 生日, 电话号码, ...).
inline constexpr int kinsfolkPhoneColumn = 6;

// The number holds a digit, so there is something to dial.
bool canDial(const QString &phone);

enum DialResult
{
    NotDialled = 0,
    DialledByLink,
    DialledByPhone,
};

// Places the call through the built-in telephone while its account is on
// and "拨号方式" says so; a call already running is hung up first only
// after a question, and a telephone that cannot call now says why in one
// box and offers the link instead. Otherwise opens the number's link. When
// the desktop has no program for the link or opening it fails, one box
// names the link and the number goes to the clipboard, so the agent can
// paste it elsewhere. The person (kind 1 prospect, 2 recruit) is known to
// the call dialogs; elsewhere the telephone finds them by the number.
DialResult dialNumber(QWidget *parent, const QString &phone, int kind = 0, qint64 personId = -1);

// "拨号" for the current row of a list: dials the row's number in
// phoneColumn. The caller puts it into its menu and updates it before showing.
QAction *createDialAction(QAbstractItemView *view, int phoneColumn, QObject *parent);
// Enabled only while the current row has a number to dial.
void updateDialAction(QAction *action, const QAbstractItemView *view, int phoneColumn);
// A context menu with that action for a list that has none of its own.
void addDialToContextMenu(QAbstractItemView *view, int phoneColumn);
