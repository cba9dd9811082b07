#include "app/application.h"
#include "app/qtsingleapplication.h"
#include "exchange/commandline.h"

int main(int argc, char *argv[])
{
    // --export, --import and --help run without a window or the single-instance test.
    if (const int code = runCommandLine(argc, argv); code >= 0)
        return code;
    QtSingleApplication app(argc, argv);
    return runApplication(app);
}
