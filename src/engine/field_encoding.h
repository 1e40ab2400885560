#pragma once
// A value of delimited text turned back into the bytes of its field: the way back of the line
// plan (engine/csv_line_plan.h). What the record-to-CSV conversion writes for a field, with or
// without its options, comes back to the field's bytes; values as people type them (numbers
// without leading zeros, with a sign or fewer decimal places, text shorter than the field) are
// taken too, a sign written as host programs write it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/short_bytes.h"
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

    // Writes `value` into the field's `size()` bytes at `field`: true, or false with `why` the
    // value cannot be held (too many digits or bytes, no number, a sign where none may be, a
    // character the page lacks), for the caller's message. Text is padded with the page's
    // blanks; blanks at its end are padding too, so those the field has no room for are left
    // out (and a double-byte field takes one-byte blanks at its end). `scratch` is the caller's
    // memory for text that is converted on the way.
    bool encode(std::string_view value, unsigned char* field, std::string& scratch,
                std::string& why) const {
        // The forms the conversion writes without options go in without a detour; inline, as
        // every value of a file passes here.
        if ((form_ == Form::Text && copyText(value, field)) ||
            (form_ == Form::Zoned && copyZoned(value, field)) ||
            (form_ == Form::Packed && copyPacked(value, field))) {
            return true;
        }
        why = encodeOther(value, field, scratch);
        return why.empty();
    }

    // The bytes of the field in a record none of whose values were given: blanks of the page
    // for text, zeros for zoned fields, a packed or binary zero.
    void fill(unsigned char* field) const;

  private:
    // HalfWidth: text of one-byte characters only (FieldDef::width), whatever the value's width.
    enum class Form : std::uint8_t {
        Text,
        DoubleByte,
        Zoned,
        HostZoned,
        Packed,
        Binary,
        HalfWidth
    };

    // The forms most values come in, each true when it took the value: Shift-JIS text that fits,
    // zoned digits as they were copied, a packed field as the conversion writes it (a sign, a
    // blank or "-"; every digit nibble as "0" to "?", so invalid nibbles come back; a point
    // before the decimals).
    bool copyText(std::string_view value, unsigned char* field) const {
        if (encoder_ != nullptr || value.size() > size_) return false;
        copyShort(field, value.data(), value.size());
        if (value.size() < size_) std::memset(field + value.size(), ' ', size_ - value.size());
        return true;
    }
    bool copyZoned(std::string_view value, unsigned char* field) const {
        // A value with a sign is a number to be made.
        if (encoder_ != nullptr || value.empty() || value[0] == '-' || value[0] == '+') {
            return false;
        }
        if (dec_ == 0) {
            if (value.size() != size_) return false;
            copyShort(field, value.data(), size_);
            return true;
        }
        const std::size_t whole = size_ - static_cast<std::size_t>(dec_);
        if (value.size() != size_ + 1 || value[whole] != '.') return false;
        copyShort(field, value.data(), whole);
        copyShort(field + whole, value.data() + whole + 1, size_ - whole);
        return true;
    }
    bool copyPacked(std::string_view value, unsigned char* field) const {
        const std::size_t digits = 2 * static_cast<std::size_t>(size_) - 1;
        const std::size_t whole = digits - static_cast<std::size_t>(dec_);
        const std::size_t width = digits + 1 + (dec_ != 0 ? 1 : 0);
        if (scale_ != 0 || value.size() != width || (value[0] != ' ' && value[0] != '-') ||
            (dec_ != 0 && value[1 + whole] != '.')) {
            return false;
        }
        const auto* v = reinterpret_cast<const unsigned char*>(value.data()) + 1;
        unsigned beyond = 0;  // any bit above a nibble's: a byte that is none
        auto nibble = [&beyond](unsigned char c) {
            const auto n = static_cast<unsigned char>(c - '0');
            beyond |= n;
            return static_cast<unsigned>(n);
        };
        // The pairs before the point, the pair around it, the pairs after it.
        std::size_t i = 0;
        for (; i + 1 < size_ && 2 * i + 1 < whole; ++i) {
            field[i] = static_cast<unsigned char>(nibble(v[2 * i]) << 4 | nibble(v[2 * i + 1]));
        }
        if (i + 1 < size_ && 2 * i < whole) {
            field[i] = static_cast<unsigned char>(nibble(v[2 * i]) << 4 | nibble(v[2 * i + 2]));
            ++i;
        }
        for (; i + 1 < size_; ++i) {
            field[i] = static_cast<unsigned char>(nibble(v[2 * i + 1]) << 4 | nibble(v[2 * i + 2]));
        }
        const unsigned last = nibble(v[digits - 1 < whole ? digits - 1 : digits]);
        field[size_ - 1] = static_cast<unsigned char>(last << 4 | (value[0] == '-' ? 0xDu : 0xCu));
        return (beyond & ~0x0Fu) == 0;
    }
    // Every other value; "" or why it cannot be held.
    std::string encodeOther(std::string_view value, unsigned char* field,
                            std::string& scratch) const;

    std::string encodeText(std::string_view value, unsigned char* field,
                           std::string& scratch) const;
    // The value's half-width form in the page's bytes; refused where a character has none or
    // the form is longer than the field.
    std::string encodeHalfWidth(std::string_view value, unsigned char* field,
                                std::string& scratch) const;
    std::string encodeZoned(std::string_view value, unsigned char* field,
                            std::string& scratch) const;
    std::string encodePacked(std::string_view value, unsigned char* field) const;
    std::string encodeBinary(std::string_view value, unsigned char* field) const;
    // The value's text in the page's bytes (CP932 as it is; else through UTF-8); "" and the
    // reason in `why` when a character is missing.
    bool toPage(std::string_view value, std::string& out, std::string& why) const;
    // Why the character of `text` at byte `at` cannot be written: the page lacks it.
    std::string missingCharacter(std::string_view text, std::size_t at) const;
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
    bool upperCase_ = false;  // half-width: lower-case letters become capitals
    ValueTextForm text_;
    // The page's, for text that is not CP932 as it is (and for every half-width field).
    const PageEncoder* encoder_ = nullptr;
};

}  // namespace sorvek
