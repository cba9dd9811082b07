#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A desktop program for tel:, sip: and callto: links in private XDG data and
// config folders (a .desktop file and mimeapps.list) that appends each link
// it gets to a file. Without `registered` no program takes them.
class TelHandler
{
public:
    explicit TelHandler(bool registered = true)
    {
        QDir(dir.path()).mkpath("data/applications");
        QDir(dir.path()).mkpath("config");
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
        for (const char *desktop : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION"})
            qunsetenv(desktop); // xdg-utils' own, generic way
        if (!registered)
            return;
        write("handler.sh", "#!/bin/sh\necho \"$1\" >> '" + dir.filePath("links") + "'\n");
        QFile::setPermissions(dir.filePath("handler.sh"), QFile::ReadOwner | QFile::ExeOwner);
        QString types, defaults = "[Default Applications]\n";
        for (const QString scheme : {"tel", "sip", "callto"}) {
            types += "x-scheme-handler/" + scheme + ";";
            defaults += "x-scheme-handler/" + scheme + "=testdial.desktop\n";
        }
        write("data/applications/testdial.desktop",
              "[Desktop Entry]\nType=Application\nName=T\nExec=" + dir.filePath("handler.sh") +
                  " %u\nMimeType=" + types + "\n");
        write("config/mimeapps.list", defaults);
    }
    QString links() const
    {
        QFile file(dir.filePath("links"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed()
                                              : QString();
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
