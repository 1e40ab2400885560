#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/process_arguments.h"
#include "platform/wide_text.h"

namespace sorvek {
namespace {

// The console's output page as the program found it, put back when it ends.
UINT originalOutputPage = 0;

void restoreOutputPage() {
    if (originalOutputPage != 0) ::SetConsoleOutputCP(originalOutputPage);
}

bool isConsole(DWORD which) {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(which), &mode) != 0;
}

// The messages on standard error are the program's UTF-8. They reach a console as UTF-16
// (WriteConsoleW), whatever its page, and a pipe or a file (a .bat's "2> log") in the console's
// page, as other programs there write theirs: standard error is a pipe whose other end a
// thread reads and passes on.
struct MessageRoute {
    HANDLE destination = INVALID_HANDLE_VALUE;  // the process's standard error as it was
    bool console = false;
    UINT page = CP_UTF8;
    HANDLE reader = INVALID_HANDLE_VALUE;
    HANDLE thread = nullptr;
};
MessageRoute route;

void passOn(const std::string& utf8) {
    const std::wstring wide = wideText(utf8);
    DWORD done = 0;
    if (route.console) {
        ::WriteConsoleW(route.destination, wide.data(), static_cast<DWORD>(wide.size()), &done,
                        nullptr);
        return;
    }
    const int size = static_cast<int>(wide.size());
    const int n =
        ::WideCharToMultiByte(route.page, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(route.page, 0, wide.data(), size, bytes.data(), n, nullptr, nullptr);
    ::WriteFile(route.destination, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}

DWORD WINAPI passMessagesOn(void*) {
    std::string pending;  // a character whose bytes came in two reads waits for the rest
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(route.reader, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        pending.append(buffer, got);
        std::size_t whole = pending.size();
        std::size_t back = 0;  // a UTF-8 sequence cut at the end stays for the next read
        while (back < 3 && back < whole &&
               (static_cast<unsigned char>(pending[whole - 1 - back]) & 0xC0) == 0x80) {
            ++back;
        }
        if (back < whole && static_cast<unsigned char>(pending[whole - 1 - back]) >= 0xC0) {
            const auto lead = static_cast<unsigned char>(pending[whole - 1 - back]);
            const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
            if (back + 1 < length) whole -= back + 1;
        }
        passOn(pending.substr(0, whole));
        pending.erase(0, whole);
    }
    if (!pending.empty()) passOn(pending);
    return 0;
}

// At the end: what is still buffered goes through the pipe, whose closing ends the thread.
void finishMessages() {
    std::fflush(stderr);
    ::_close(2);
    // Never held up for long by a thread that cannot write.
    ::WaitForSingleObject(route.thread, 5000);
}

void routeMessages() {
    const HANDLE original = ::GetStdHandle(STD_ERROR_HANDLE);
    if (original == INVALID_HANDLE_VALUE || original == nullptr) return;
    route.console = isConsole(STD_ERROR_HANDLE);
    route.page = ::GetConsoleOutputCP();
    if (route.page == 0) route.page = ::GetACP();  // no console: the system's page
    if (!route.console && route.page == CP_UTF8) return;
    // A handle of its own: moving the pipe onto descriptor 2 closes the one it had.
    if (!::DuplicateHandle(::GetCurrentProcess(), original, ::GetCurrentProcess(),
                           &route.destination, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        return;
    }
    int ends[2] = {-1, -1};
    if (::_pipe(ends, 1 << 16, _O_BINARY | _O_NOINHERIT) != 0) return;
    route.reader = reinterpret_cast<HANDLE>(::_get_osfhandle(ends[0]));
    std::fflush(stderr);
    if (::_dup2(ends[1], 2) != 0) {
        ::_close(ends[0]);
        ::_close(ends[1]);
        return;
    }
    ::_close(ends[1]);
    route.thread = ::CreateThread(nullptr, 0, passMessagesOn, nullptr, 0, nullptr);
    if (route.thread != nullptr) std::atexit(finishMessages);
}

}  // namespace

std::vector<std::string> processArguments(int argc, char** argv) {
    // The data of "-" is bytes: a CR LF read or written must stay two bytes.
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    routeMessages();
    // The help and the check report on standard output are UTF-8; a console shows them so.
    if (isConsole(STD_OUTPUT_HANDLE)) {
        originalOutputPage = ::GetConsoleOutputCP();
        if (::SetConsoleOutputCP(CP_UTF8)) std::atexit(restoreOutputPage);
    }
    std::vector<std::string> args;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
    for (int i = 1; i < count; ++i) args.push_back(utf8Text(wide[i]));
    ::LocalFree(wide);
    if (!args.empty() && args.front() == "/?") args.front() = "--help";
    return args;
}

bool standardErrorIsTerminal() {
    // Routed, standard error is the pipe; what counts is where the messages end up.
    return route.thread != nullptr ? route.console : isConsole(STD_ERROR_HANDLE);
}

}  // namespace sorvek
