#pragma once
// Records laid out as a file's framing says: back to back (each followed by a line end where
// asked), behind record descriptor words (V), in blocks behind block descriptor words (VB).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/descriptor_word.h"
#include "engine/short_bytes.h"
#include "model/record_def.h"
#include "model/record_output_options.h"

namespace sorvek {

// `Output` takes bytes by reserve/commit and append (OutputBuffer, MemoryOutput). The descriptor
// words are written in the form the file definition names.
template <class Output>
class RecordFramer {
  public:
    // `output` outlives the framer. REQUIRES: a record and its descriptor words fit the block
    // size (checkCsvToRecordsRun).
    RecordFramer(Output& output, const RecordDef& file, const RecordOutputOptions& options)
        : output_(output),
          format_(file.recordFormat),
          words_(file.descriptorWords),
          blockSize_(options.blockSize) {
        if (options.end == RecordEnd::CrLf) end_ = "\r\n";
        if (options.end == RecordEnd::Lf) end_ = "\n";
    }

    // Lays out the `size` bytes at `record`: in the output at once, or, for VB, in the block
    // being filled, which goes out when the next record does not fit it or at `finish`.
    void put(const unsigned char* record, std::size_t size) {
        const auto* bytes = reinterpret_cast<const char*>(record);
        if (format_ == RecordFormat::Fixed) {
            char* out = output_.reserve(size + end_.size());
            copyRecordBytes(out, bytes, size);
            copyShort(out + size, end_.data(), end_.size());
            output_.commit(size + end_.size());
            return;
        }
        char word[4];
        putDescriptorWord(static_cast<std::uint32_t>(size + 4), words_, word);
        if (format_ == RecordFormat::V) {
            char* out = output_.reserve(size + 4);
            std::memcpy(out, word, 4);
            std::memcpy(out + 4, bytes, size);
            output_.commit(size + 4);
            return;
        }
        if (!block_.empty() && 4 + block_.size() + 4 + size > blockSize_) flushBlock();
        block_.append(word, 4);
        block_.append(bytes, size);
    }
    // Writes the last block.
    void finish() {
        if (!block_.empty()) flushBlock();
    }

  private:
    void flushBlock() {
        char word[4];
        putDescriptorWord(static_cast<std::uint32_t>(block_.size() + 4), words_, word);
        output_.append(word, 4);
        output_.append(block_.data(), block_.size());
        block_.clear();
    }

    Output& output_;
    RecordFormat format_;
    DescriptorWords words_;
    std::uint32_t blockSize_;
    std::string end_;
    std::string block_;
};

}  // namespace sorvek
