#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace platform::posix {

// Opens `file` as open(2) does with `flags` and `mode`, for a file someone else may have put in
// place: never through a symbolic link at `file` itself, never waiting for a FIFO's other end,
// and only a regular file. The descriptor is closed on exec. -1 when nothing was opened:
// `refusal` then says what is in the file's place ("is a symbolic link", "is not a regular
// file"), or is empty and errno holds the system's reason.
int openRegularFile(const std::filesystem::path& file, int flags, mode_t mode,
                    std::string& refusal);

} // namespace platform::posix
