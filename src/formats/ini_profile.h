#pragma once
// INI profile files (definition files and the settings file): sections of `key=value` lines,
// CP932 bytes, CR LF line ends. The behaviour the program relies on: section and key names
// match whatever their letter case; values come back without surrounding blanks and without
// enclosing double quotes; a missing file, section or key reads as ""; a write creates the
// file, appends a missing section at the end, a missing key at the end of its section, and
// replaces an existing value in place.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/files.h"

namespace sorvek {

// A profile file in memory: parsed once, read and changed by name, written back whole.
class IniDocument {
  public:
    // Parses CP932 bytes.
    static IniDocument parse(std::string_view bytes);
    // Parses text already decoded (UTF-8).
    static IniDocument parseText(std::string_view text);
    // Loads a file; a missing or unreadable file gives an empty document, and so does anything
    // but a regular file of at most 64 MiB (a device or a FIFO is never opened).
    static IniDocument load(const std::string& path, FileSystem& files = osFileSystem());

    // The value of `key` in `section` (first of each when repeated), or "".
    std::string get(std::string_view section, std::string_view key) const;
    // Sets `key` in `section`. A value with leading or trailing blanks, or one that is itself
    // enclosed in double quotes, is written in double quotes, so that it reads back unchanged.
    void set(std::string_view section, std::string_view key, std::string_view value);

    // CP932 bytes with CR LF line ends.
    std::string serialize() const;
    // The same lines as UTF-8, before their conversion to CP932 (which may lose characters).
    std::string text() const;
    // Writes the document to `path` through a temporary file in the same folder, replacing the
    // target only when every byte was written. On failure the target is as it was.
    Status save(const std::string& path, FileSystem& files = osFileSystem()) const;

  private:
    struct Section {
        std::string header;              // the "[name]" line as written; empty for the preamble
        std::vector<std::string> lines;  // the lines after the header (UTF-8)
        std::unordered_map<std::string, std::size_t> keys;  // lower-case key -> first line
    };
    Section* findSection(std::string_view section);
    const Section* findSection(std::string_view section) const;
    static void indexLine(Section& s, std::size_t line);

    std::vector<Section> sections_{Section{}};  // sections_[0]: lines before any header
    std::unordered_map<std::string, std::size_t> sectionIndex_;  // lower-case name -> first
};

// The two profile operations every INI value of the program goes through.
std::string readIniString(const std::string& file, const std::string& section,
                          const std::string& key, FileSystem& files = osFileSystem());
Status writeIniString(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& value, FileSystem& files = osFileSystem());

}  // namespace sorvek
