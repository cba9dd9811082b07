#include "app/application.h"
#include "app/qtsingleapplication.h"

int main(int argc, char *argv[])
{
    QtSingleApplication app(argc, argv);
    return runApplication(app);
}
