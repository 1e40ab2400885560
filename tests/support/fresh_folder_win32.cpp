#include <filesystem>
#include <random>
#include <stdexcept>

#include "support/fresh_folder.h"

namespace sorvek::testing {

std::string makeFreshFolder() {
    // No mkdtemp: a random name, taken only when create_directory made it (not found it).
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate = base / ("sorvek-test-" + std::to_string(random()));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            const std::u8string made = candidate.u8string();  // the tests' paths are UTF-8
            return std::string(made.begin(), made.end());
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

bool makeFifo(const std::string&) {
    return false;
}

}  // namespace sorvek::testing
