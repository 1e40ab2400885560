#pragma once
// A value of delimited text turned back into the bytes of its field: the way back of the line
// plan (engine/csv_line_plan.h). What the record-to-CSV conversion writes for a field, with or
// without its options, comes back to the field's bytes; values as people type them (numbers
// without leading zeros, with a sign or fewer decimal places, text shorter than the field) are
// taken too, a sign written as host programs write it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/csv_output_options.h"
#include "model/host_data.h"
#include "model/record_def.h"
#include "platform/page_encoder.h"

namespace sorvek {

// How the text of the values is written: the encoding of the delimited text, and the page of
// the records.
struct ValueTextForm {
    CsvEncoding encoding = CsvEncoding::Cp932;  // UTF-8 with or without a mark: UTF-8
    InputCodePage page = InputCodePage::Cp932;
};

// One written field, worked out once per run.
class FieldEncoding {
  public:
    // REQUIRES: `f` passed the definition check. `options`: the zoned sign option tells where a
    // zoned field without a declared sign carries it.
    FieldEncoding(const FieldDef& f, const ValueTextForm& form, const CsvOutputOptions& options);

    std::uint32_t offset() const { return offset_; }
    std::uint32_t size() const { return size_; }

    // Writes `value` into the field's `size()` bytes at `field`. Returns "" on success, else why
    // the value cannot be held (too many digits or bytes, no number, a sign where none may be, a
    // character the page lacks), for the caller's message. Text is padded with the page's
    // blanks; blanks at its end are padding too, so those the field has no room for are left
    // out (and a double-byte field takes one-byte blanks at its end). `scratch` is the caller's
    // memory for text that is converted on the way.
    std::string encode(std::string_view value, unsigned char* field, std::string& scratch) const;

    // The bytes of the field in a record none of whose values were given: blanks of the page
    // for text, zeros for zoned fields, a packed or binary zero.
    void fill(unsigned char* field) const;

  private:
    enum class Form : std::uint8_t { Text, DoubleByte, Zoned, HostZoned, Packed, Binary };

    std::string encodeText(std::string_view value, unsigned char* field,
                           std::string& scratch) const;
    std::string encodeZoned(std::string_view value, unsigned char* field,
                            std::string& scratch) const;
    std::string encodePacked(std::string_view value, unsigned char* field) const;
    std::string encodeBinary(std::string_view value, unsigned char* field) const;
    // The value's text in the page's bytes (CP932 as it is; else through UTF-8); "" and the
    // reason in `why` when a character is missing.
    bool toPage(std::string_view value, std::string& out, std::string& why) const;
    // The number's digits for `digits` places, into `out`; "" or why it cannot be held.
    std::string fitDigits(std::string_view value, std::size_t digits, bool& negative,
                          char* out) const;

    Form form_ = Form::Text;
    std::uint32_t offset_ = 0;
    std::uint32_t size_ = 0;
    std::int32_t dec_ = 0;
    std::int32_t scale_ = 0;
    SignPosition sign_ = SignPosition::Trailing;  // zoned
    bool signDeclared_ = false;
    bool binarySigned_ = false;
    bool bigEndian_ = true;
    ValueTextForm text_;
    const PageEncoder* encoder_ = nullptr;  // the page's, for text that is not CP932 as it is
};

}  // namespace sorvek
