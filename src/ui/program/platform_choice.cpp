#include "ui/program/platform_choice.h"

namespace sorvek {
namespace {

bool isSet(const char* value) {
    return value != nullptr && *value != '\0';
}

}  // namespace

PlatformChoice choosePlatform(const char* qpaPlatform, const char* display,
                              const char* waylandDisplay) {
    PlatformChoice choice{};
    if (isSet(qpaPlatform)) {
        const std::string requested = qpaPlatform;
        choice.displayAvailable = true;
        choice.offscreenRequested = requested.rfind("offscreen", 0) == 0;
        choice.platformList = choice.offscreenRequested ? requested : requested + ";offscreen";
        return choice;
    }
    choice.displayAvailable = isSet(display) || isSet(waylandDisplay);
    choice.offscreenRequested = false;
    choice.platformList = isSet(waylandDisplay) ? "wayland;xcb;offscreen" : "xcb;offscreen";
    return choice;
}

bool fellBackToOffscreen(const PlatformChoice& choice, const std::string& startedPlatform) {
    return !choice.offscreenRequested && startedPlatform == "offscreen";
}

}  // namespace sorvek
