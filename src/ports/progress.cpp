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

}  // namespace sorvek
