#pragma once

#include <string>

namespace orv_public {

class CFileUtil
{
public:
    // Executable suffix of the platform: ".exe" on Windows, empty elsewhere.
    static const char *getProcSuffix();
    // Full path of a file in the directory of the program's executables, empty when it is not there.
    static std::string getPathOfBinFile(const std::string &fileName, std::string *error);
    static std::string getBinDir();
};

} // namespace orv_public
