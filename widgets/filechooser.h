#pragma once

#include <QString>

class QWidget;

// The file dialogs of export and import. Tests queue the answers instead, so
// that no real modal dialog ever opens under them.
namespace FileChooser {

QString saveFileName(QWidget *parent, const QString &caption, const QString &suggested,
                     const QString &filter);
QString openFileName(QWidget *parent, const QString &caption, const QString &filter);

// The next dialog returns this path at once (an empty one: cancelled).
void answerNext(const QString &path);

} // namespace FileChooser
