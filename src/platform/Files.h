#pragma once

#include "util/OwnedFile.h"

#include <filesystem>
#include <string>
#include <string_view>

// Files the program writes where someone else may have put something first: the folder of its
// configuration, a folder named on the command line. A symbolic link in a file's place is never
// written through, so a link planted in a shared folder cannot make the program overwrite
// another file of the user's.
namespace platform {

// Opens `file` to append to it, creating it when it is missing. A symbolic link in its place is
// not followed, and anything but a regular file (a FIFO, a device, a folder) is refused without
// waiting for it. Null when the file was not opened: `refusal` then says what is in its place
// ("is a symbolic link", "is not a regular file"), or is empty when the system could not open it.
util::OwnedFile appendToFile(const std::filesystem::path& file, std::string& refusal);

// Makes `file` hold `bytes`: they are written to a new file beside it, which then takes its
// name, so whatever was there (a file, a link to another one) is replaced, never written
// through, and a reader never sees the file half written. Throws std::runtime_error naming the
// file and the reason when it cannot.
void replaceFile(const std::filesystem::path& file, std::string_view bytes);

// Makes `folder`, unless it is there, for this user alone (mode 0700 on Linux; on Windows it
// takes the rights of the profile it is made in), with the folders above it as the system makes
// them. Throws std::runtime_error naming the folder and the reason when it cannot, or when
// something other than a folder is in its place.
void makePrivateFolder(const std::filesystem::path& folder);

// Writes `bytes` to `file` as a new file that only this user may read or change. Nothing is
// written where something is in its place already (a file, or a link, even one to nothing):
// false then. Throws std::runtime_error naming the file and the reason when it cannot.
bool createNewFile(const std::filesystem::path& file, std::string_view bytes);

// Whether users other than this process's may change what `folder` holds: it belongs to another
// user, or anyone may write to it (as to /tmp). A folder that cannot be examined counts as
// theirs.
bool othersMayWrite(const std::filesystem::path& folder);

} // namespace platform
