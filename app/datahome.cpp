#include "datahome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {
constexpr QFileDevice::Permissions ownerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
} // namespace

bool takeDataHomeOption(int &argc, char **argv)
{
    bool found = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], dataHomeOption) == 0)
            found = true;
        else
            argv[kept++] = argv[i];
    }
    if (kept < argc)
        argv[kept] = nullptr;
    argc = kept;
    return found;
}

QString dataHomeFolder()
{
    // The base directory rules: a relative value is to be ignored.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/CallLedger"));
}

bool enterDataHome(QString *error)
{
    const QString folder = dataHomeFolder();
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("不能使用数据文件夹 %1：\n%2")
                         .arg(QDir::toNativeSeparators(folder), reason);
        return false;
    };
    QDir dir(folder);
    if (!QFileInfo(folder).isDir()) {
        if (QFileInfo::exists(folder) || QFileInfo(folder).isSymLink())
            return fail(QStringLiteral("同名的文件已经存在。"));
        if (!QDir().mkpath(QFileInfo(folder).path()) || !QDir().mkdir(folder, ownerOnly))
            return fail(QStringLiteral("无法创建文件夹。"));
    }
    // Customers' personal data: nobody else may even list the folder.
    if (!QFile::setPermissions(folder, ownerOnly))
        return fail(QStringLiteral("无法把文件夹设为仅本人可用。"));
    if (!QDir::setCurrent(folder))
        return fail(QStringLiteral("无法进入文件夹。"));
    return true;
}
