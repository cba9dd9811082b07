#include "app/application.h"
#include "app/datahome.h"
#include "widgets/messageboxes.h"
#include "app/qtsingleapplication.h"
#include "exchange/commandline.h"

int main(int argc, char *argv[])
{
    // Before the application object: it locks the working folder as the data folder.
    QString dataHomeError;
    if (takeDataHomeOption(argc, argv))
        enterDataHome(&dataHomeError);
    // --export, --import and --help run without a window or the single-instance test.
    if (const int code = runCommandLine(argc, argv); code >= 0)
        return code;
    QtSingleApplication app(argc, argv);
    if (!dataHomeError.isEmpty()) {
        showWarning(nullptr, dataHomeError, QStringLiteral("提示"));
        return 1;
    }
    return runApplication(app);
}
