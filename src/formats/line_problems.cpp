#include "formats/line_problems.h"

#include <algorithm>

namespace sorvek {

void LineProblems::add(int line, std::string reason) {
    if (!seen_.emplace(line, reason).second) return;
    list_.emplace_back(line, std::move(reason));
}

std::string LineProblems::text() const {
    std::vector<std::pair<int, std::string>> sorted = list_;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string text;
    for (std::size_t k = 0; k < sorted.size() && k < kMaxListedProblems; ++k) {
        if (k != 0) text += '\n';
        text += "行 " + std::to_string(sorted[k].first) + ": " + sorted[k].second;
    }
    if (sorted.size() > kMaxListedProblems) {
        text += "\nほかに " + std::to_string(sorted.size() - kMaxListedProblems) +
                " 件の問題があります。";
    }
    return text;
}

}  // namespace sorvek
