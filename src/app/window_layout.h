#pragma once
// Where the wizard's window goes and what of its layout the settings file keeps: its size and
// the positions of the record-definition page's two splitters, in section Window. Sizes are in
// the desktop's logical pixels.
#include <string>
#include <vector>

#include "platform/files.h"

namespace sorvek {

inline constexpr const char* kSectionWindow = "Window";
inline constexpr const char* kKeyWizardWidth = "WizardWidth";
inline constexpr const char* kKeyWizardHeight = "WizardHeight";
inline constexpr const char* kKeyDefinitionSplitter = "DefinitionSplitter";
inline constexpr const char* kKeyPageSplitter = "PageSplitter";

struct WindowRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowRect&) const = default;
};

// The inside of a window of `width` × `height` whose frame adds `frameWidth` × `frameHeight`,
// placed on a screen whose free area is `area`: cut to what fits in the area, frame included,
// and centred on it, so that no part is off the screen.
WindowRect placeWindow(int width, int height, int frameWidth, int frameHeight,
                       const WindowRect& area);

struct WizardLayout {
    int width = 0;  // 0: not kept yet
    int height = 0;
    std::vector<int> definitionSplitter;  // tree | field list
    std::vector<int> pageSplitter;        // definition | preview
    bool operator==(const WizardLayout&) const = default;
};

// The layout kept in the settings file; a value missing or no list of positive numbers reads as
// not kept.
WizardLayout readWizardLayout(const std::string& iniPath, FileSystem& files = osFileSystem());
// Keeps `layout` in the settings file. A failed write loses only the layout: nothing is said.
void saveWizardLayout(const std::string& iniPath, const WizardLayout& layout,
                      FileSystem& files = osFileSystem());

}  // namespace sorvek
