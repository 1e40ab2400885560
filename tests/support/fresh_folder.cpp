#include "support/fresh_folder.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <stdexcept>

namespace sorvek::testing {

std::string makeFreshFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sorvek-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    return pattern;
}

bool makeFifo(const std::string& path) {
    return ::mkfifo(path.c_str(), 0600) == 0;
}

}  // namespace sorvek::testing
