#include <QObject>
#include <QtPlugin>

#include <cstdio>
#include <cstdlib>

// Leaves a mark when loaded. The start-up test plants it in the data folder
// under the names a careless program would load a driver from; it carries a
// plugin's metadata so that a plugin loader goes as far as loading it.
__attribute__((constructor)) static void leaveMark()
{
    if (const char *path = std::getenv("CALLLEDGER_PLANTED_MARK")) {
        if (FILE *file = std::fopen(path, "w"))
            std::fclose(file);
    }
}

class PlantedPlugin : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QSqlDriverFactoryInterface")
};

#include "plantedlibrary.moc"
