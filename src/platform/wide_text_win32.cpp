#include "platform/wide_text.h"

#include <windows.h>

namespace sorvek {

std::wstring wideText(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), n);
    return wide;
}

std::string utf8Text(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), n, nullptr, nullptr);
    return narrow;
}

namespace {

// The plain form's limit for a folder: MAX_PATH less room for an 8.3 name.
constexpr std::size_t kPlainPathLimit = MAX_PATH - 12;

std::wstring fullWidePath(const std::wstring& wide) {
    DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) return wide;
    std::wstring full(n, L'\0');
    n = ::GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    if (n == 0 || n >= full.size()) return wide;
    full.resize(n);
    return full;
}

}  // namespace

std::wstring widePath(const std::string& path) {
    std::wstring wide = wideText(path);
    if (wide.empty() || wide.starts_with(L"\\\\?\\") || wide.starts_with(L"\\\\.\\")) return wide;
    std::wstring full = fullWidePath(wide);
    // A device name (NUL, CON, COM1) comes back as \\.\NAME: the device, not a file.
    if (full.size() < kPlainPathLimit || full.starts_with(L"\\\\.\\")) return full;
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace sorvek
