#include "filechooser.h"

#include "common/appsettings.h"
#include "store/database.h"
#include "widgets/messageboxes.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QStringList>

namespace {
QStringList &queuedAnswers()
{
    static QStringList answers;
    return answers;
}

// Icons and type names from the name alone. The default provider opens a file
// whose name does not tell its type and reads its first bytes.
class NameOnlyIconProvider : public QFileIconProvider
{
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo &info) const override { return icon(info.isDir() ? Folder : File); }

    QString type(const QFileInfo &info) const override
    {
        if (info.isDir())
            return QStringLiteral("文件夹");
        return mimes.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension).comment();
    }

private:
    QMimeDatabase mimes;
};

// The folder used last, else the documents folder, else home; never the data folder.
QString startFolder()
{
    // Compared as canonical paths: a link to the data folder is the data folder.
    const QString data = QDir::current().canonicalPath();
    const QStringList candidates{
        desktopSetting(DesktopSetting::lastFileFolder).toString(),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), QDir::homePath(),
        QDir::rootPath()};
    for (const QString &folder : candidates) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir() &&
            QFileInfo(folder).canonicalFilePath() != data)
            return folder;
    }
    return QDir::rootPath();
}

QString runDialog(QWidget *parent, QFileDialog::AcceptMode mode, const QString &caption,
                  const QString &suggested, const QString &filter)
{
    // The constructor starts listing its folder with the default provider.
    QFileDialog dialog(parent, caption, startFolder(), filter);
    NameOnlyIconProvider icons;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    if (!suggested.isEmpty())
        dialog.selectFile(QFileInfo(suggested).fileName());
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QString path = dialog.selectedFiles().constFirst();
        setDesktopSetting(DesktopSetting::lastFileFolder, QFileInfo(path).absolutePath());
        if (!isDatabaseFile(path))
            return path;
        showWarning(&dialog, QStringLiteral("这是软件自己的数据文件, 请选择其他文件."),
                    QStringLiteral("提示"));
    }
    return QString();
}

QString takeQueued(QWidget *parent)
{
    const QString path = queuedAnswers().takeFirst();
    if (!isDatabaseFile(path))
        return path;
    showWarning(parent, QStringLiteral("这是软件自己的数据文件, 请选择其他文件."),
                QStringLiteral("提示"));
    return QString();
}
} // namespace

namespace FileChooser {

QString saveFileName(QWidget *parent, const QString &caption, const QString &suggested,
                     const QString &filter)
{
    if (!queuedAnswers().isEmpty())
        return takeQueued(parent);
    return runDialog(parent, QFileDialog::AcceptSave, caption, suggested, filter);
}

QString openFileName(QWidget *parent, const QString &caption, const QString &filter)
{
    if (!queuedAnswers().isEmpty())
        return takeQueued(parent);
    return runDialog(parent, QFileDialog::AcceptOpen, caption, QString(), filter);
}

void answerNext(const QString &path)
{
    queuedAnswers().append(path);
}

} // namespace FileChooser
