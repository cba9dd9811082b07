#pragma once

#include <QString>

class QWidget;

// The file dialogs of export and import. Tests queue the answers instead, so
// that no real modal dialog ever opens under them.
//
// Every dialog starts outside the data folder (in the folder used last, else
// the documents folder) and tells files apart by their names only: SQLite's
// locks on mwdb.dat belong to the process, and any other descriptor of the
// file closing drops them, which is what reading a file to guess its type
// would do. Choosing the data file itself or its side files is refused.
namespace FileChooser {

// Only the name part of `suggested` is used.
QString saveFileName(QWidget *parent, const QString &caption, const QString &suggested,
                     const QString &filter);
QString openFileName(QWidget *parent, const QString &caption, const QString &filter);

// The next dialog returns this path at once (an empty one: cancelled).
void answerNext(const QString &path);

} // namespace FileChooser
