#include "platform/win32/Win32FileWatch.h"

#include <cstddef>

namespace platform::win32 {

namespace {

constexpr DWORD changes =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;

} // namespace

std::unique_ptr<Win32FileWatch> Win32FileWatch::open(const std::filesystem::path& file, HWND owner,
                                                     UINT message) {
    std::filesystem::path folder = file.parent_path();
    if (folder.empty())
        folder = L".";
    HANDLE handle = CreateFileW(
        folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::unique_ptr<Win32FileWatch>(
        new Win32FileWatch(handle, file.filename().wstring(), owner, message));
}

Win32FileWatch::Win32FileWatch(HANDLE folder, std::wstring name, HWND owner, UINT message)
    : folder_(folder), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      changed_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), name_(std::move(name)), owner_(owner),
      message_(message), thread_([this] { run(); }) {}

Win32FileWatch::~Win32FileWatch() {
    SetEvent(stop_);
    thread_.join();
    CloseHandle(changed_);
    CloseHandle(stop_);
    CloseHandle(folder_);
}

// A report too large for the buffer arrives as no report at all: the file may be among them.
void Win32FileWatch::run() {
    alignas(DWORD) std::byte buffer[16 * 1024];
    OVERLAPPED overlapped{};
    overlapped.hEvent = changed_;
    for (;;) {
        ResetEvent(changed_);
        if (!ReadDirectoryChangesW(folder_, buffer, sizeof buffer, FALSE, changes, nullptr,
                                   &overlapped, nullptr))
            return;
        const HANDLE events[] = {stop_, changed_};
        DWORD length = 0;
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            CancelIo(folder_);
            GetOverlappedResult(folder_, &overlapped, &length, TRUE); // the buffer is free
            return;
        }
        if (!GetOverlappedResult(folder_, &overlapped, &length, FALSE))
            return;
        if (length == 0 || namesTheFile(buffer, length))
            PostMessageW(owner_, message_, 0, 0);
    }
}

bool Win32FileWatch::namesTheFile(const void* buffer, DWORD length) const {
    const auto* bytes = static_cast<const std::byte*>(buffer);
    for (DWORD at = 0; at + sizeof(FILE_NOTIFY_INFORMATION) <= length;) {
        const auto* report = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(bytes + at);
        const int characters = static_cast<int>(report->FileNameLength / sizeof(WCHAR));
        // Names on Windows match without regard to case.
        if (CompareStringOrdinal(report->FileName, characters, name_.c_str(),
                                 static_cast<int>(name_.size()), TRUE) == CSTR_EQUAL)
            return true;
        if (report->NextEntryOffset == 0)
            return false;
        at += report->NextEntryOffset;
    }
    return false;
}

} // namespace platform::win32
