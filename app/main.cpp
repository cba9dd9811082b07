#include "app/application.h"
#include "app/datahome.h"
#include "widgets/messageboxes.h"
#include "app/qtsingleapplication.h"
#include "exchange/commandline.h"

int main(int argc, char *argv[])
{
    const bool dataHome = takeDataHomeOption(argc, argv);
    // --export, --import and --help run without a window or the single-instance
    // test; they enter the data folder only after resolving their file name.
    if (const int code = runCommandLine(argc, argv, dataHome ? enterDataHome : nullptr); code >= 0)
        return code;
    // Before the application object: it locks the working folder as the data folder.
    QString dataHomeError;
    if (dataHome)
        enterDataHome(&dataHomeError);
    QtSingleApplication app(argc, argv);
    if (!dataHomeError.isEmpty()) {
        showWarning(nullptr, dataHomeError, QStringLiteral("提示"));
        return 1;
    }
    return runApplication(app);
}
