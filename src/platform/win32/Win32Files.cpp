// The file seam on Windows: files opened without following a symbolic link or junction, pictures
// written beside their place and moved into it. Folders are not examined for other users' rights:
// a working directory is taken as it always was.
#include "platform/Files.h"

#include <algorithm>
#include <cstdint>
#include <fcntl.h>
#include <io.h>
#include <random>
#include <stdexcept>
#include <windows.h>

namespace platform {

namespace {

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

[[noreturn]] void writeFailed(DWORD error, const std::filesystem::path& file) {
    throw std::runtime_error("unable to write \"" + utf8(file) + "\": Windows error " +
                             std::to_string(error) + ".");
}

HANDLE openForAppending(const std::filesystem::path& file, DWORD flags) {
    return CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
}

// The reparse tag of an open reparse point, or 0 for a plain file.
DWORD reparseTag(HANDLE file) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag) ||
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return 0;
    return tag.ReparseTag;
}

// The file itself, not what a link there leads to. A symbolic link or junction is what a planted
// link is; other reparse points, such as the placeholders of files kept in the cloud, are the
// user's own files, opened again through their file system's filter.
HANDLE openUnfollowed(const std::filesystem::path& file, std::string& refusal) {
    HANDLE handle = openForAppending(file, FILE_FLAG_OPEN_REPARSE_POINT);
    if (handle == INVALID_HANDLE_VALUE)
        return handle;
    const DWORD tag = reparseTag(handle);
    if (tag == 0)
        return handle;
    CloseHandle(handle);
    if (tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT) {
        refusal = "is a symbolic link";
        return INVALID_HANDLE_VALUE;
    }
    return openForAppending(file, 0);
}

// A new file beside `file` under a name no one can have guessed before: CREATE_NEW fails on
// anything already there, and then another name is tried.
HANDLE createBeside(const std::filesystem::path& file, std::filesystem::path& created) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        created = file; // appended piece by piece: a chain of + misleads GCC 12's -Wrestrict
        created += ".";
        created += std::to_string(random());
        created += ".tmp";
        HANDLE handle = CreateFileW(created.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return handle;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr))
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

} // namespace

util::OwnedFile appendToFile(const std::filesystem::path& file, std::string& refusal) {
    refusal.clear();
    HANDLE handle = openUnfollowed(file, refusal);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    if (GetFileType(handle) != FILE_TYPE_DISK) { // a pipe, a console, a device
        CloseHandle(handle);
        refusal = "is not a regular file";
        return nullptr;
    }
    const int descriptor =
        _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_APPEND | _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    util::OwnedFile stream(_fdopen(descriptor, "ab"));
    if (!stream)
        _close(descriptor); // closes the handle too
    return stream;
}

void replaceFile(const std::filesystem::path& file, std::string_view bytes) {
    std::filesystem::path created;
    HANDLE handle = createBeside(file, created);
    if (handle == INVALID_HANDLE_VALUE)
        writeFailed(GetLastError(), file);
    bool written = writeAll(handle, bytes);
    DWORD error = GetLastError();
    CloseHandle(handle);
    if (written && !MoveFileExW(created.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        written = false;
        error = GetLastError();
    }
    if (!written) {
        DeleteFileW(created.c_str());
        writeFailed(error, file);
    }
}

void makePrivateFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder))
        throw std::runtime_error("unable to make the folder \"" + utf8(folder) + "\"" +
                                 (error ? ": " + error.message() : std::string()) + ".");
}

bool createNewFile(const std::filesystem::path& file, std::string_view bytes) {
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS)
        return false;
    if (handle == INVALID_HANDLE_VALUE)
        writeFailed(GetLastError(), file);
    const bool written = writeAll(handle, bytes);
    const DWORD error = GetLastError();
    CloseHandle(handle);
    if (!written) {
        DeleteFileW(file.c_str());
        writeFailed(error, file);
    }
    return true;
}

bool othersMayWrite(const std::filesystem::path&) {
    return false;
}

} // namespace platform
