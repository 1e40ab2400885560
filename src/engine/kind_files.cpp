#include "engine/kind_files.h"

#include <set>

#include "platform/paths.h"

namespace sorvek {

std::string safeKindName(std::string_view name, int kind) {
    if (name.empty()) return std::to_string(kind);
    std::string safe;
    safe.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool refused = byte < 0x20 || byte == 0x7F ||
                             std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
        safe += refused ? '_' : c;
    }
    return safe;
}

std::vector<KindFile> kindFiles(const std::string& outputPath, const RecordDefTable& table) {
    // The extension is what follows the last "." of the file name, unless the name begins there.
    const std::size_t nameAt = outputPath.size() - nameOfPath(outputPath).size();
    std::size_t dot = outputPath.find_last_of('.');
    if (dot == std::string::npos || dot <= nameAt) dot = outputPath.size();
    const std::string stem = outputPath.substr(0, dot);
    const std::string extension = outputPath.substr(dot);

    std::vector<KindFile> files;
    std::set<std::string> taken;
    for (int k = 1; k <= table.maxIndex(); ++k) {
        const RecordDef& record = table[static_cast<std::size_t>(k)];
        if (record.Child != 0) continue;
        const std::string name = safeKindName(record.Name, k);
        std::string unique = name;
        for (int n = 2; taken.contains(unique); ++n) unique = name + "-" + std::to_string(n);
        taken.insert(unique);
        files.push_back({k, stem + "." + unique + extension});
    }
    return files;
}

}  // namespace sorvek
