#include "app/window_layout.h"

#include <algorithm>
#include <sstream>

#include "app/settings.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

// "220,560": positive numbers only, or nothing.
std::vector<int> sizesFromText(const std::string& text) {
    std::vector<int> sizes;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) {
        const std::optional<std::int32_t> n = parseInt32(part);
        if (!n || *n <= 0) return {};
        sizes.push_back(*n);
    }
    return sizes;
}

std::string textOfSizes(const std::vector<int>& sizes) {
    std::string text;
    for (int size : sizes) text += (text.empty() ? "" : ",") + std::to_string(size);
    return text;
}

int positiveOrZero(const std::string& text) {
    const std::optional<std::int32_t> n = parseInt32(text);
    return n && *n > 0 ? *n : 0;
}

}  // namespace

WindowRect placeWindow(int width, int height, int frameWidth, int frameHeight,
                       const WindowRect& area) {
    WindowRect placed;
    placed.width = std::max(1, std::min(width, area.width - frameWidth));
    placed.height = std::max(1, std::min(height, area.height - frameHeight));
    placed.x = area.x + std::max(0, (area.width - placed.width - frameWidth) / 2);
    placed.y = area.y + std::max(0, (area.height - placed.height - frameHeight) / 2);
    return placed;
}

WizardLayout readWizardLayout(const std::string& iniPath, FileSystem& files) {
    WizardLayout layout;
    layout.width = positiveOrZero(readSetting(iniPath, kSectionWindow, kKeyWizardWidth, files));
    layout.height = positiveOrZero(readSetting(iniPath, kSectionWindow, kKeyWizardHeight, files));
    if (layout.width == 0 || layout.height == 0) layout.width = layout.height = 0;
    layout.definitionSplitter =
        sizesFromText(readSetting(iniPath, kSectionWindow, kKeyDefinitionSplitter, files));
    layout.pageSplitter =
        sizesFromText(readSetting(iniPath, kSectionWindow, kKeyPageSplitter, files));
    return layout;
}

void saveWizardLayout(const std::string& iniPath, const WizardLayout& layout, FileSystem& files) {
    if (iniPath.empty()) return;
    const std::pair<const char*, std::string> values[] = {
        {kKeyWizardWidth, std::to_string(layout.width)},
        {kKeyWizardHeight, std::to_string(layout.height)},
        {kKeyDefinitionSplitter, textOfSizes(layout.definitionSplitter)},
        {kKeyPageSplitter, textOfSizes(layout.pageSplitter)},
    };
    for (const auto& [key, value] : values) {
        if (!writeSetting(iniPath, kSectionWindow, key, value, files)) return;
    }
}

}  // namespace sorvek
