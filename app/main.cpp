#include "ModelApplication.h"
#include "SingleApplication.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    answerCommandLine(argc, argv);
    QCoreApplication::addLibraryPath(QStringLiteral("./sqldrivers"));
    SingleApplication app(argc, argv, false, SingleApplication::PerUser, 1000);
    return runModelVarnix(app);
}
