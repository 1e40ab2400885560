#pragma once
// Whether the desktop program can show windows, and which window-system plugins to try.
#include <string>

namespace sorvek {

struct PlatformChoice {
    // False: no display and no platform asked for; windows cannot be shown at all.
    bool displayAvailable;
    // The plugins to try in order (QT_QPA_PLATFORM form, ";"-separated). The list ends in
    // "offscreen" so that a display that cannot be reached does not end the program.
    std::string platformList;
    // The user asked for the offscreen platform: windows are wanted even without a screen.
    bool offscreenRequested;
};

// From the values of QT_QPA_PLATFORM, DISPLAY and WAYLAND_DISPLAY (nullptr or "" when unset).
PlatformChoice choosePlatform(const char* qpaPlatform, const char* display,
                              const char* waylandDisplay);

// True when the platform that started is a fallback to "offscreen" the user did not ask for.
bool fellBackToOffscreen(const PlatformChoice& choice, const std::string& startedPlatform);

}  // namespace sorvek
