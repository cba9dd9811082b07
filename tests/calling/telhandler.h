#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

// A desktop program for tel:, sip: and callto: links in private XDG data and config
// folders (a .desktop file and mimeapps.list): it appends every link it gets
// to a file. Without `registered` the folders stay empty: no handler at all.
class TelHandler
{
public:
    explicit TelHandler(bool registered = true)
    {
        const QString data = dir.filePath("data"), config = dir.filePath("config");
        QDir().mkpath(data + "/applications");
        QDir().mkpath(config);
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        qunsetenv("XDG_CURRENT_DESKTOP");
        if (!registered)
            return;
        write("handler.sh", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + linkFile() + "'\n");
        QFile::setPermissions(dir.filePath("handler.sh"), QFile::ReadOwner | QFile::ExeOwner);
        write("data/applications/testdial.desktop",
              "[Desktop Entry]\nType=Application\nName=Test dial\nExec=" +
                  dir.filePath("handler.sh") +
                  " %u\nMimeType=x-scheme-handler/tel;x-scheme-handler/sip;x-scheme-handler/"
                  "callto;\n");
        write("config/mimeapps.list",
              "[Default Applications]\nx-scheme-handler/tel=testdial.desktop\n"
              "x-scheme-handler/sip=testdial.desktop\nx-scheme-handler/callto=testdial.desktop\n");
    }
    QString linkFile() const { return dir.filePath("links"); }
    QStringList links() const
    {
        QFile file(linkFile());
        return file.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                   : QStringList();
    }

private:
    void write(const QString &name, const QString &text) const
    {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(text.toUtf8());
    }
    QTemporaryDir dir;
};
