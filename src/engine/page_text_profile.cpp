#include "engine/page_text_profile.h"

#include <algorithm>

namespace sorvek {

PageTextProfiler::PageTextProfiler(InputCodePage page, std::int64_t limit)
    : decoder_(EbcdicDecoder::get(page)), limit_(limit) {
    out_.present = true;
    out_.page = std::string(inputCodePageName(page));
}

void PageTextProfiler::add(const unsigned char* p, std::size_t n) {
    using ByteClass = EbcdicDecoder::ByteClass;
    const std::int64_t end = std::min<std::int64_t>(offset_ + static_cast<std::int64_t>(n), limit_);
    for (; offset_ < end; ++offset_, ++p) {
        const unsigned char b = *p;
        if (shifted_) {
            if (b == EbcdicDecoder::kShiftIn) {
                // A first byte without its second is no character.
                if (first_ >= 0) out_.noCharacter.add(offset_ - 1);
                first_ = -1;
                shifted_ = false;
                ++out_.textBytes;
            } else if (b == EbcdicDecoder::kShiftOut) {
                out_.unpairedShift.add(offset_);
            } else if (first_ < 0) {
                first_ = b;
            } else {
                if (decoder_.pairIsCharacter(static_cast<unsigned char>(first_), b)) {
                    out_.textBytes += 2;
                } else {
                    out_.noCharacter.add(offset_ - 1);
                }
                first_ = -1;
            }
            continue;
        }
        switch (decoder_.classOf(b)) {
            case ByteClass::Text:
                ++out_.textBytes;
                break;
            case ByteClass::Control:
                out_.control.add(offset_);
                break;
            case ByteClass::NoCharacter:
                out_.noCharacter.add(offset_);
                break;
            case ByteClass::ShiftOut:
                shifted_ = true;
                ++out_.textBytes;
                break;
            case ByteClass::ShiftIn:
                out_.unpairedShift.add(offset_);
                break;
        }
    }
}

PageTextProfile PageTextProfiler::finish() {
    out_.bytes = offset_;
    return out_;
}

}  // namespace sorvek
