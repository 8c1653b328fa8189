// The process seam on Windows: the executable from the module, the instance lock as a named
// mutex of the user's session.
#include "platform/Process.h"
#include "platform/win32/Utf16.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <windows.h>

// After windows.h, which it needs.
#include <shellapi.h>

namespace platform {

namespace {

// A handle to the named mutex. Only its existence counts: it is never waited for. Windows
// destroys it when the last handle closes, when the process ends in any way included.
class MutexLock final : public InstanceLock {
public:
    explicit MutexLock(HANDLE mutex) : mutex_(mutex) {}
    ~MutexLock() override { CloseHandle(mutex_); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    HANDLE mutex_;
};

std::wstring modulePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) // a truncated name fills the whole buffer
            return buffer.substr(0, length);
        buffer.resize(buffer.size() * 2);
    }
}

// The text of a path call that returns the size it needs when the buffer is too small, or
// empty when the call fails.
template <typename Call>
std::wstring pathText(Call call) {
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.resize(length);
        length = call(buffer.data(), length);
    }
    if (length == 0 || length >= buffer.size())
        return {};
    return buffer.substr(0, length);
}

// One text for every path that names the file: full, with long names instead of 8.3 short
// ones, and in capitals, as the file system compares names without regard to case.
std::wstring normalised(const std::filesystem::path& file) {
    std::wstring full = pathText([&](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(file.c_str(), size, buffer, nullptr);
    });
    if (full.empty())
        throw std::runtime_error("unable to name the instance lock: GetFullPathNameW failed.");
    std::wstring longName = pathText(
        [&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(full.c_str(), buffer, size); });
    if (!longName.empty())
        full = std::move(longName);
    CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
    return full;
}

// An object name may not hold a backslash, so the path goes in as a 64-bit FNV-1a hash of its
// UTF-16 bytes. "Local\" gives every user session a namespace of its own.
std::wstring mutexName(const std::wstring& path) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t unit : path) {
        for (const unsigned byte : {unsigned(unit) & 0xffu, (unsigned(unit) >> 8) & 0xffu}) {
            hash ^= byte;
            hash *= 1099511628211ull;
        }
    }
    std::wstring name = L"Local\\PakVue-";
    for (int shift = 60; shift >= 0; shift -= 4)
        name += L"0123456789abcdef"[(hash >> shift) & 0xf];
    return name;
}

// The console's output code page before the program set UTF-8.
UINT consoleCodePage = 0;

// A stream leads nowhere when its handle is missing or names no file, pipe or console.
bool leadsNowhere(DWORD stream) {
    const HANDLE handle = GetStdHandle(stream);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE ||
           GetFileType(handle) == FILE_TYPE_UNKNOWN;
}

} // namespace

std::filesystem::path executablePath() {
    return modulePath();
}

// The narrow arguments are in the ANSI code page, which cannot hold every file name: the
// command line is read again in UTF-16.
std::vector<std::string> commandArguments(int, char**) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> result;
    for (int i = 1; arguments != nullptr && i < count; ++i)
        result.push_back(win32::utf8Of(arguments[i]));
    LocalFree(arguments);
    return result;
}

// A GUI program started from a console gets no streams; it may borrow its parent's console.
// The console's prompt is back before the output arrives, which is how GUI programs print.
// The output is UTF-8, which the console shows as such only while its code page says so; the
// console is the user's, so its own code page comes back when the program ends.
void useStartingTerminal() {
    const bool output = leadsNowhere(STD_OUTPUT_HANDLE);
    const bool error = leadsNowhere(STD_ERROR_HANDLE);
    if ((!output && !error) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (output)
        std::freopen("CONOUT$", "w", stdout);
    if (error)
        std::freopen("CONOUT$", "w", stderr);
    consoleCodePage = GetConsoleOutputCP();
    if (consoleCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit([] { SetConsoleOutputCP(consoleCodePage); });
}

std::unique_ptr<InstanceLock> lockInstance(const std::filesystem::path& configuration) {
    const std::wstring name = mutexName(normalised(configuration));
    SetLastError(ERROR_SUCCESS);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    const DWORD error = GetLastError();
    if (mutex == nullptr && error == ERROR_ACCESS_DENIED)
        return nullptr; // made by another account's instance in this session
    if (mutex == nullptr)
        throw std::runtime_error("unable to create the instance lock: CreateMutexW failed with " +
                                 std::to_string(error) + ".");
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return nullptr;
    }
    return std::make_unique<MutexLock>(mutex);
}

} // namespace platform
