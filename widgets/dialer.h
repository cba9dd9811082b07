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

// The text holds a number that may be dialled (common/phonenumbers.h).
bool canDial(const QString &phone);
// "号码格式不正确, 请先修改": why a stored text cannot be dialled.
QString undialableTip();
// Enables a 拨号 control while the text can be dialled; a text that cannot
// be (anything but an empty one) puts the reason into its tooltip.
void followDialable(QWidget *control, const QString &phone, const QString &usualTip);

enum DialResult
{
    NotDialled = 0,
    DialledByLink,
    DialledByPhone,
};

// Dials the text's number; when it holds several, a menu below anchor (or
// at the mouse) offers each. While the built-in telephone's account is on
// and "拨号方式" chose it, the call goes through it: a call already running
// is hung up first only after a question, and a telephone that cannot call
// now says why in one box and offers the link instead. Otherwise opens the
// number's link. When the pattern is unusable, the desktop has no program
// for the link or opening it fails, one box says so and the number goes to
// the clipboard, so the agent can paste it elsewhere. The person (kind 1
// prospect, 2 recruit) is known to the call dialogs; elsewhere the
// telephone finds them by the number.
DialResult dialNumber(QWidget *parent, const QString &phone, QWidget *anchor = nullptr,
                      int kind = 0, qint64 personId = -1);

// "拨号" for the current row of a list: dials the row's number in
// phoneColumn. The caller puts it into its menu and updates it before showing.
QAction *createDialAction(QAbstractItemView *view, int phoneColumn, QObject *parent);
// Enabled only while the current row has a number to dial (see followDialable).
void updateDialAction(QAction *action, const QAbstractItemView *view, int phoneColumn);
// A context menu with that action for a list that has none of its own.
void addDialToContextMenu(QAbstractItemView *view, int phoneColumn);
