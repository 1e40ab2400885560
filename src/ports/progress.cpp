#include "ports/progress.h"

namespace sorvek {

bool ProgressBarModel::apply(std::int32_t value, std::int32_t maximum) {
    std::int32_t newMaximum = maximum == -1 ? maximum_ : maximum;
    if (newMaximum < 1 || value < 0 || value > newMaximum) return false;
    maximum_ = newMaximum;
    value_ = value;
    return true;
}

int ProgressBarModel::percent() const {
    return static_cast<int>(static_cast<std::int64_t>(value_) * 100 / maximum_);
}

std::string ProgressBarModel::label() const {
    std::string text = "(";
    text += std::to_string(percent());
    text += "/100%)";
    return text;
}

std::string byteCountText(std::int64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " B";
    const char* units[] = {"KiB", "MiB", "GiB", "TiB", "PiB"};
    // Tenths of the unit, rounded down: the count never shows more than was done.
    std::int64_t scaled = bytes;
    int unit = -1;
    while (scaled >= 1024 * 1024 && unit < 3) {
        scaled /= 1024;
        ++unit;
    }
    const std::int64_t tenths = scaled * 10 / 1024;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " " + units[unit + 1];
}

}  // namespace sorvek
