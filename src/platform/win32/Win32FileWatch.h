#pragma once

#include "platform/Desktop.h"

// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
// clang-format on

#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace platform::win32 {

// A file watched through ReadDirectoryChangesW on its folder, by a thread that sleeps until
// the system reports a change or the watch ends, and posts the owner its message when the
// report names the file.
class Win32FileWatch final : public FileWatch {
public:
    // Null when the folder cannot be opened for watching.
    static std::unique_ptr<Win32FileWatch> open(const std::filesystem::path& file, HWND owner,
                                                UINT message);
    ~Win32FileWatch() override;
    Win32FileWatch(const Win32FileWatch&) = delete;
    Win32FileWatch& operator=(const Win32FileWatch&) = delete;

private:
    Win32FileWatch(HANDLE folder, std::wstring name, HWND owner, UINT message);
    void run();
    // Whether the reports in `buffer` name the file.
    bool namesTheFile(const void* buffer, DWORD length) const;

    HANDLE folder_;
    HANDLE stop_;
    HANDLE changed_;
    std::wstring name_;
    HWND owner_;
    UINT message_;
    std::thread thread_; // last: it runs on everything above
};

} // namespace platform::win32
