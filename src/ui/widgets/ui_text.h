#pragma once
// What every window needs to meet the core: sizes given in twips, and the core's UTF-8 text as
// QString and back.
#include <QString>

#include <string>

namespace sorvek {

// 15 twips make one pixel at 96 dots per inch.
constexpr int px(int twips) {
    return twips / 15;
}

inline QString q(const std::string& text) {
    return QString::fromStdString(text);
}

inline std::string s(const QString& text) {
    return text.toStdString();
}

}  // namespace sorvek
