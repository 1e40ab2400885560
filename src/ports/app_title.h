#pragma once
// The application's title: the caption of the main window and the title of every message box
// without a title of its own.

namespace sorvek {

inline constexpr const char* kAppTitle = "Sorvek";

}  // namespace sorvek
