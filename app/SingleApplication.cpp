#include "SingleApplication.h"

SingleApplication::SingleApplication(int &argc, char *argv[], bool allowSecondary, Options options, int timeout)
    : QApplication(argc, argv)
    , m_allowSecondary(allowSecondary)
    , m_options(options)
    , m_timeout(timeout)
{
}
