#include "dialer.h"

#include "common/appsettings.h"
#include "common/phoneline.h"
#include "common/phonenumbers.h"
#include "store/diallink.h"
#include "store/phonekeys.h"
#include "widgets/messageboxes.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>

namespace {
// Qt hands links to xdg-open, which runs detached and cannot tell that no
// program takes the scheme; xdg-mime can. Without xdg-utils the opening
// itself decides.
bool desktopHasHandler(const QString &scheme)
{
    const QString mime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (mime.isEmpty())
        return true;
    QProcess query;
    query.start(mime, {QStringLiteral("query"), QStringLiteral("default"),
                       QStringLiteral("x-scheme-handler/") + scheme});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return true;
    }
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

// The number the agent picks among several; empty when the menu is left.
QString chooseNumber(QWidget *parent, const QStringList &numbers, QWidget *anchor)
{
    QMenu menu(parent);
    menu.setObjectName(QStringLiteral("menuDialNumbers"));
    menu.setToolTipsVisible(true);
    for (const QString &number : numbers)
        menu.addAction(number)->setObjectName(number);
    const QPoint at = anchor ? anchor->mapToGlobal(QPoint(0, anchor->height())) : QCursor::pos();
    const QAction *chosen = menu.exec(at);
    return chosen ? chosen->text() : QString();
}

QString rowPhone(const QAbstractItemView *view, int phoneColumn)
{
    const QModelIndex current = view->currentIndex();
    if (!current.isValid())
        return QString();
    return current.siblingAtColumn(phoneColumn).data(Qt::EditRole).toString();
}
} // namespace

bool canDial(const QString &phone)
{
    return !dialableNumbers(phone).isEmpty();
}

QString undialableTip()
{
    return QStringLiteral("号码格式不正确, 请先修改");
}

void followDialable(QWidget *control, const QString &phone, const QString &usualTip)
{
    const bool dialable = canDial(phone);
    control->setEnabled(dialable);
    control->setToolTip(dialable || phone.trimmed().isEmpty() ? usualTip : undialableTip());
}

namespace {
// NotDialled when the telephone was used or refused; DialledByLink asks the
// caller to go on with the link.
DialResult dialThroughPhone(QWidget *parent, const QString &digits, int kind, qint64 personId)
{
    PhoneLine *line = PhoneLine::instance();
    const QString title = QStringLiteral("拨号");
    if (line->inCall()) {
        if (!askYesNo(parent,
                      QStringLiteral("正在通话中 (%1).\n要挂断当前通话并拨打 %2 吗?")
                          .arg(line->party().digits, digits),
                      title))
            return NotDialled;
        line->hangUp();
        if (line->inCall()) {
            showWarning(parent, QStringLiteral("当前通话还没有结束, 请稍后再拨."), title);
            return NotDialled;
        }
    }
    if (!line->ready()) {
        return askYesNo(parent,
                        QStringLiteral("内置电话现在不能拨号: %1.\n改用拨号链接 (%2) 拨打吗?")
                            .arg(line->notReadyReason(), appSettings.dialTemplate()),
                        title)
                   ? DialledByLink
                   : NotDialled;
    }
    if (line->dial({kind, personId, digits}))
        return DialledByPhone;
    showWarning(parent, QStringLiteral("内置电话无法发起呼叫: %1").arg(line->lastSummary().endText),
                title);
    return NotDialled;
}
} // namespace

DialResult dialNumber(QWidget *parent, const QString &phone, QWidget *anchor, int kind,
                      qint64 personId)
{
    const QStringList numbers = dialableNumbers(phone);
    if (numbers.isEmpty())
        return NotDialled;
    const QString number =
        numbers.size() == 1 ? numbers.constFirst() : chooseNumber(parent, numbers, anchor);
    if (number.isEmpty())
        return NotDialled;
    if (PhoneLine *line = PhoneLine::instance(); line && line->configured()) {
        const DialResult result = dialThroughPhone(parent, number, kind, personId);
        if (result != DialledByLink)
            return result;
    }
    const QString pattern = appSettings.dialTemplate();
    const QString problem = dialTemplateProblem(pattern);
    const QUrl link = problem.isEmpty() ? dialLink(pattern, number) : QUrl();
    if (link.isValid() && desktopHasHandler(link.scheme()) && QDesktopServices::openUrl(link))
        return DialledByLink;
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(number);
    const QString reason =
        problem.isEmpty() ? QStringLiteral("无法打开拨号链接 %1 , 桌面没有处理它的程序或打开失败.")
                                .arg(link.toString())
                          // A pattern edited by hand in the settings file, never checked.
                          : QStringLiteral("拨号方式无效: %1\n%2\n请在\"系统设置\"中修改拨号方式.")
                                .arg(pattern.left(200), problem);
    showWarning(parent, reason + QStringLiteral("\n号码 %1 已复制到剪贴板.").arg(number),
                QStringLiteral("拨号"));
    return NotDialled;
}

QAction *createDialAction(QAbstractItemView *view, int phoneColumn, QObject *parent)
{
    auto *action = new QAction(QStringLiteral("拨号"), parent);
    action->setObjectName(QStringLiteral("actionDial"));
    QObject::connect(action, &QAction::triggered, view, [view, phoneColumn] {
        dialNumber(view->window(), rowPhone(view, phoneColumn));
    });
    return action;
}

void updateDialAction(QAction *action, const QAbstractItemView *view, int phoneColumn)
{
    const QString phone = rowPhone(view, phoneColumn);
    const QStringList numbers = dialableNumbers(phone);
    action->setEnabled(!numbers.isEmpty());
    action->setToolTip(!numbers.isEmpty() || phone.trimmed().isEmpty() ? QString()
                                                                       : undialableTip());
    // Several numbers: each is an entry of its own, rather than a second
    // menu popping up after this one.
    QMenu *choice = action->menu<QMenu *>();
    if (numbers.size() < 2) {
        action->setMenu(static_cast<QMenu *>(nullptr));
        delete choice;
        return;
    }
    if (!choice) {
        choice = new QMenu(const_cast<QAbstractItemView *>(view));
        choice->setObjectName(QStringLiteral("menuDialNumbers"));
        action->setMenu(choice);
    }
    choice->clear();
    for (const QString &number : numbers) {
        QWidget *window = view->window();
        QObject::connect(choice->addAction(number), &QAction::triggered, window,
                         [window, number] { dialNumber(window, number); });
    }
}

void addDialToContextMenu(QAbstractItemView *view, int phoneColumn)
{
    QAction *action = createDialAction(view, phoneColumn, view);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(view, &QWidget::customContextMenuRequested, view,
                     [view, phoneColumn, action](const QPoint &pos) {
                         if (!view->currentIndex().isValid())
                             return;
                         updateDialAction(action, view, phoneColumn);
                         QMenu menu(view);
                         menu.addAction(action);
                         menu.exec(view->viewport()->mapToGlobal(pos));
                     });
}
