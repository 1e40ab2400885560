#include "editor/definition_commands.h"

#include "formats/load_definition.h"
#include "platform/paths.h"
#include "ports/app_title.h"

namespace sorvek {

std::string definitionFolder(const std::string& setting, const std::string& inputPath,
                             const std::string& home) {
    if (!setting.empty()) return setting;
    const std::size_t slash = inputPath.find_last_of(folderSeparator());
    if (slash != std::string::npos) return inputPath.substr(0, slash + 1);
    return home;
}

std::string openDefinitionStartPath(const RecordTree& tree, const std::string& trdFolder) {
    if (!tree.Tag.empty()) return tree.Tag;
    return withTrailingSeparator(trdFolder);
}

std::string withTrdExtension(const std::string& path) {
    const std::size_t slash = path.find_last_of(folderSeparator());
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    // A leading dot starts a hidden file's name; it is no extension.
    if (dot == std::string::npos || dot <= nameStart) return path + ".trd";
    return path.substr(0, dot) + ".trd";
}

std::string saveDefinitionStartPath(const RecordTree& tree, const std::string& trdFolder) {
    if (!tree.Tag.empty()) return withTrdExtension(tree.Tag);
    const std::string name = tree.nodes.empty() ? "" : tree.nodes.front().text;
    return withTrailingSeparator(trdFolder) + name + ".trd";
}

DefinitionLoader definitionFileLoader(FileSystem& files) {
    return [&files](const std::string& path, RecordDefTable& table) {
        return loadDefinition(path, table, files);
    };
}

std::optional<DefinitionLoadResult> openDefinition(const std::string& path, RecordDefTable& table,
                                                   RecordTree& tree,
                                                   const DefinitionLoader& loader) {
    if (path.empty()) return std::nullopt;
    // A reader that fails half-way must not leave a half-filled table behind the shown tree.
    RecordDefTable fresh;
    fresh.reset(2);
    DefinitionLoadResult loaded = loader(path, fresh);
    if (!loaded) return loaded;
    if (!fresh.hasDefinition()) return DefinitionLoadResult(DefinitionLoadFailure{});
    table = std::move(fresh);
    tree.Tag = path;
    buildRecordTree(tree, table);
    return loaded;
}

bool saveDefinition(const std::string& path, const RecordDefTable& table, RecordTree& tree,
                    Messages& messages, const DefinitionWriter& writer) {
    if (path.empty()) return false;
    tree.Tag = path;
    if (const Status written = writer(path, table); !written) {
        std::string text = "ファイル保存中にエラーが発生しました。";
        if (!written.error().reason.empty()) text += "\n" + written.error().reason;
        messages.show(text, kAppTitle, MessageIcon::Exclamation);
        return false;
    }
    return true;
}

}  // namespace sorvek
