#include "filechooser.h"

#include <QFileDialog>
#include <QStringList>

namespace {
QStringList &queuedAnswers()
{
    static QStringList answers;
    return answers;
}
} // namespace

namespace FileChooser {

QString saveFileName(QWidget *parent, const QString &caption, const QString &suggested,
                     const QString &filter)
{
    if (!queuedAnswers().isEmpty())
        return queuedAnswers().takeFirst();
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

QString openFileName(QWidget *parent, const QString &caption, const QString &filter)
{
    if (!queuedAnswers().isEmpty())
        return queuedAnswers().takeFirst();
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

void answerNext(const QString &path)
{
    queuedAnswers().append(path);
}

} // namespace FileChooser
