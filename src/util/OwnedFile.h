#pragma once

#include <cstdio>
#include <memory>

namespace util {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// A C stream, closed with its owner.
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

} // namespace util
