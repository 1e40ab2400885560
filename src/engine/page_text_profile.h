#pragma once
// The text profile of the first bytes of a file read on an EBCDIC page: which bytes are
// characters of the page, which are control codes, which are none, and shift bytes without
// their pair. Fed block by block, in order, in constant memory.
#include <cstddef>
#include <cstdint>

#include "engine/inspection_report.h"
#include "platform/ebcdic_decoder.h"
#include "platform/input_code_page.h"

namespace sorvek {

class PageTextProfiler {
  public:
    // REQUIRES: isEbcdic(page). Looks at the first `limit` bytes only.
    PageTextProfiler(InputCodePage page, std::int64_t limit);

    // The next `n` bytes of the file.
    void add(const unsigned char* p, std::size_t n);
    // The profile of the bytes looked at. Call once, after the last add.
    PageTextProfile finish();

  private:
    const EbcdicDecoder& decoder_;
    PageTextProfile out_;
    std::int64_t limit_;
    std::int64_t offset_ = 0;  // of the next byte
    bool shifted_ = false;     // inside double-byte text
    int first_ = -1;           // inside double-byte text: the first byte of a pair, if any
};

}  // namespace sorvek
