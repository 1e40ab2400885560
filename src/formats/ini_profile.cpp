#include "formats/ini_profile.h"

#include "platform/codepage.h"

namespace sorvek {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The section name of a header line "[name]", or false.
bool headerName(std::string_view line, std::string_view& name) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[') return false;
    std::size_t close = line.find(']');
    if (close == std::string_view::npos) return false;
    name = trim(line.substr(1, close - 1));
    return true;
}

// The key of an entry line "key=value", or false.
bool entryKey(std::string_view line, std::string_view& key) {
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = trim(line.substr(0, eq));
    return true;
}

std::string entryValue(std::string_view line) {
    std::string_view value = trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

std::string entryLine(std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    // Reading trims blanks and removes one pair of enclosing quotes; quoting the values that
    // either would change makes every value read back as it was written.
    bool padded = !value.empty() && (isBlank(value.front()) || isBlank(value.back()));
    bool enclosed = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    if (padded || enclosed) line += '"';
    line += value;
    if (padded || enclosed) line += '"';
    return line;
}

}  // namespace

void IniDocument::indexLine(Section& s, std::size_t line) {
    std::string_view key;
    if (entryKey(s.lines[line], key)) s.keys.emplace(asciiLower(key), line);
}

IniDocument IniDocument::parse(std::string_view bytes) {
    return parseText(cp932ToUtf8(bytes));
}

IniDocument IniDocument::parseText(std::string_view text) {
    IniDocument doc;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        start = end + 1;

        std::string_view name;
        if (headerName(line, name)) {
            doc.sectionIndex_.emplace(asciiLower(name), doc.sections_.size());
            doc.sections_.push_back(Section{std::string(line), {}, {}});
            continue;
        }
        Section& s = doc.sections_.back();
        s.lines.emplace_back(line);
        if (doc.sections_.size() > 1) indexLine(s, s.lines.size() - 1);
    }
    return doc;
}

IniDocument IniDocument::load(const std::string& path, FileSystem& files) {
    constexpr std::size_t kMaxProfileBytes = 64 << 20;
    Result<std::string> bytes = readRegularFile(files, path, kMaxProfileBytes);
    return bytes ? parse(*bytes) : IniDocument{};
}

const IniDocument::Section* IniDocument::findSection(std::string_view section) const {
    auto it = sectionIndex_.find(asciiLower(trim(section)));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

IniDocument::Section* IniDocument::findSection(std::string_view section) {
    auto it = sectionIndex_.find(asciiLower(trim(section)));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

std::string IniDocument::get(std::string_view section, std::string_view key) const {
    const Section* s = findSection(section);
    if (s == nullptr) return {};
    auto it = s->keys.find(asciiLower(trim(key)));
    return it == s->keys.end() ? std::string() : entryValue(s->lines[it->second]);
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
    Section* s = findSection(section);
    if (s == nullptr) {
        // A new section goes at the end, set off from the one before by a blank line.
        Section& last = sections_.back();
        bool fileEmpty = sections_.size() == 1 && last.lines.empty();
        if (!fileEmpty && (last.lines.empty() || !trim(last.lines.back()).empty())) {
            last.lines.emplace_back();
        }
        sectionIndex_.emplace(asciiLower(trim(section)), sections_.size());
        sections_.push_back(Section{"[" + std::string(section) + "]", {}, {}});
        s = &sections_.back();
    }
    auto it = s->keys.find(asciiLower(trim(key)));
    if (it != s->keys.end()) {
        // Keep the key as it was written; replace the value only.
        std::string_view oldKey;
        entryKey(s->lines[it->second], oldKey);
        s->lines[it->second] = entryLine(oldKey, value);
        return;
    }
    // A new key goes after the section's last non-blank line. Only blank lines follow it, so no
    // indexed key moves.
    std::size_t at = s->lines.size();
    while (at > 0 && trim(s->lines[at - 1]).empty()) --at;
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at), entryLine(key, value));
    indexLine(*s, at);
}

std::string IniDocument::text() const {
    std::string text;
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const Section& s = sections_[i];
        if (i > 0) text += s.header + "\r\n";
        for (const std::string& line : s.lines) text += line + "\r\n";
    }
    return text;
}

std::string IniDocument::serialize() const {
    return utf8ToCp932(text());
}

Status IniDocument::save(const std::string& path, FileSystem& files) const {
    return replaceFileContents(files, path, serialize());
}

std::string readIniString(const std::string& file, const std::string& section,
                          const std::string& key, FileSystem& files) {
    return IniDocument::load(file, files).get(section, key);
}

Status writeIniString(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& value, FileSystem& files) {
    IniDocument doc = IniDocument::load(file, files);
    doc.set(section, key, value);
    return doc.save(file, files);
}

}  // namespace sorvek
