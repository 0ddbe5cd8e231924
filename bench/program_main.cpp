// The program as it starts for a user (the same start-up code as its main),
// with the benchmark's driver added through Qt's start-up hook.
#include "ProgramDriver.h"

#include "app/AppStartup.h"

#include <QCoreApplication>

namespace {
void installDriver()
{
    ProgramDriver::install();
}
}

Q_COREAPP_STARTUP_FUNCTION(installDriver)

int main(int argc, char* argv[])
{
    return AppStartup::run(argc, argv);
}
