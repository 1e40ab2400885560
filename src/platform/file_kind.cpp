#include "platform/file_kind.h"

#include <sys/stat.h>

namespace sorvek {

bool isPlainFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace sorvek
