#pragma once
// The code pages record data may be written in: Shift-JIS (CP932), as on the PCs this program
// serves, or one of the EBCDIC pages of host computers. Japanese EBCDIC (IBM930 with one-byte
// katakana, IBM939 with one-byte Latin letters) holds double-byte text between a shift-out
// byte (0x0E) and a shift-in byte (0x0F); Latin EBCDIC (IBM037, IBM1047) has one byte per
// character only.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sorvek {

enum class InputCodePage : std::uint8_t { Cp932, Ibm930, Ibm939, Ibm037, Ibm1047 };

struct InputCodePageName {
    std::string_view name;  // as the definition file and the command line write it
    InputCodePage value;
};

inline constexpr std::array<InputCodePageName, 5> kInputCodePageNames{{
    {"CP932", InputCodePage::Cp932},
    {"IBM930", InputCodePage::Ibm930},
    {"IBM939", InputCodePage::Ibm939},
    {"IBM037", InputCodePage::Ibm037},
    {"IBM1047", InputCodePage::Ibm1047},
}};

// The page named `name` (ASCII letters in any case), or nothing.
std::optional<InputCodePage> parseInputCodePage(std::string_view name);
// The name of `page` ("IBM930").
std::string_view inputCodePageName(InputCodePage page);
// The same name, NUL-terminated.
const char* inputCodePageIconvName(InputCodePage page);
// Every name, joined by "|", for usage texts and refusals.
std::string inputCodePageNameList();

inline bool isEbcdic(InputCodePage page) {
    return page != InputCodePage::Cp932;
}
// True for the EBCDIC pages with double-byte text between shift bytes.
inline bool hasShiftedDoubleByte(InputCodePage page) {
    return page == InputCodePage::Ibm930 || page == InputCodePage::Ibm939;
}

}  // namespace sorvek
