#include "engine/descriptor_word.h"

#include <array>

namespace sorvek {
namespace {

// How many records the form `words` frames whole in the bytes [p, end) of a file's start, up to
// a word it cannot read (then -1) or bytes too few for the next record.
int recordsFramed(RecordFormat format, const DescriptorWords& words, const unsigned char* p,
                  const unsigned char* end) {
    int records = 0;
    std::uint64_t blockLeft = 0;
    while (end - p >= 4) {
        if (format == RecordFormat::VB && blockLeft == 0) {
            const std::uint64_t block = withWord(statedBlockLength(p, words), words);
            if (block < 8) return -1;
            blockLeft = block - 4;
            p += 4;
            continue;
        }
        const std::uint64_t length = withWord(statedRecordLength(p, words), words);
        if (length < 4 || !recordWordPadded(p) ||
            (format == RecordFormat::VB && length > blockLeft)) {
            return -1;
        }
        if (static_cast<std::uint64_t>(end - p) < length) break;
        ++records;
        p += length;
        if (format == RecordFormat::VB) blockLeft -= length;
    }
    return records;
}

}  // namespace

std::string descriptorFormHint(RecordFormat format, const DescriptorWords& words,
                               const unsigned char* begin, const unsigned char* end) {
    static constexpr std::array<DescriptorWords, 4> kForms{{
        {DescriptorByteOrder::Big, DescriptorLength::Inclusive},
        {DescriptorByteOrder::Little, DescriptorLength::Inclusive},
        {DescriptorByteOrder::Big, DescriptorLength::Exclusive},
        {DescriptorByteOrder::Little, DescriptorLength::Exclusive},
    }};
    for (const DescriptorWords& form : kForms) {
        if (form == words) continue;
        const int records = recordsFramed(format, form, begin, end);
        // One record may fit any form by chance.
        if (records < 2) continue;
        return "\n記述語を --rdw-byte-order " +
               std::string(optionWord(kDescriptorByteOrderWords, form.byteOrder)) +
               " --rdw-length " + std::string(optionWord(kDescriptorLengthWords, form.length)) +
               " の形式 (ファイル定義の「記述語のバイト順」「記述語の長さ」) "
               "として読むと、最初の " +
               std::to_string(records) + " レコードが正しく区切れます。";
    }
    return {};
}

}  // namespace sorvek
