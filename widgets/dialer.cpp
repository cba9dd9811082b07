#include "dialer.h"

#include "common/appsettings.h"
#include "store/diallink.h"
#include "store/phonekeys.h"
#include "widgets/messageboxes.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
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
    return !dialDigits(phone).isEmpty();
}

bool dialNumber(QWidget *parent, const QString &phone)
{
    const QString digits = dialDigits(phone);
    if (digits.isEmpty())
        return false;
    const QString pattern = appSettings.dialTemplate();
    const QUrl link = dialLink(pattern, phone);
    if (link.isValid() && desktopHasHandler(link.scheme()) && QDesktopServices::openUrl(link))
        return true;
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(digits);
    const QString shown = link.isValid() ? link.toString() : pattern;
    showWarning(parent,
                QStringLiteral("无法打开拨号链接 %1 , 桌面没有处理它的程序或打开失败.\n"
                               "号码 %2 已复制到剪贴板.")
                    .arg(shown, digits),
                QStringLiteral("拨号"));
    return false;
}

QAction *createDialAction(QAbstractItemView *view, int phoneColumn, QObject *parent)
{
    auto *action = new QAction(QStringLiteral("拨号"), parent);
    action->setObjectName(QStringLiteral("actionDial"));
    QObject::connect(action, &QAction::triggered, view, [view, phoneColumn] {
        const QString phone = rowPhone(view, phoneColumn);
        if (canDial(phone))
            dialNumber(view->window(), phone);
    });
    return action;
}

void updateDialAction(QAction *action, const QAbstractItemView *view, int phoneColumn)
{
    action->setEnabled(canDial(rowPhone(view, phoneColumn)));
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
