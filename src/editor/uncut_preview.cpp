#include "editor/uncut_preview.h"

#include <algorithm>
#include <string_view>

#include "editor/byte_text.h"
#include "editor/data_preview.h"

namespace sorvek {

Preview uncutPreview(const PreviewSource& source, std::size_t maxRows) {
    Preview out;
    out.fromText = true;
    out.uncut = true;
    out.columnTitles = {"内容"};
    out.status = withEbcdicNote(
        "レコード定義が選ばれていないため、ファイルを切り出さずに行ごとに表示しています。", source,
        InputCodePage::Cp932);
    const std::string_view bytes(source.bytes);
    std::size_t at = 0;
    while (at < bytes.size() && out.rows.size() < maxRows) {
        const std::size_t rest = std::min(bytes.size() - at, kUncutRowBytes);
        const std::size_t lf = bytes.substr(at, rest).find('\n');
        const std::size_t length = lf == std::string_view::npos ? rest : lf + 1;
        std::size_t text = length;  // the line without its line end
        while (text > 0 && (bytes[at + text - 1] == '\n' || bytes[at + text - 1] == '\r')) --text;
        PreviewRow row;
        row.number = static_cast<std::int64_t>(out.rows.size()) + 1;
        row.offset = source.offset + static_cast<std::int64_t>(at);
        row.begin = at;
        row.length = length;
        const std::vector<std::string> line = bytesAsText(
            bytes.substr(at, text), std::max<std::size_t>(text, 1), InputCodePage::Cp932);
        PreviewCell cell;
        if (!line.empty()) cell.text = line[0];
        row.cells.push_back(std::move(cell));
        out.rows.push_back(std::move(row));
        at += length;
    }
    return out;
}

}  // namespace sorvek
