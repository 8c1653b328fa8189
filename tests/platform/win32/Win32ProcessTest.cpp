// The process seam on Windows. A named mutex is one object per session, so a second lock taken
// in this process meets the first one as another process's would.
#include "platform/Process.h"
#include "support/TemporaryDirectory.h"

#include "gtest/gtest.h"
#include <cwctype>
#include <fstream>
#include <windows.h>

namespace {

// The 8.3 name of `path`, or `path` itself on a file system without short names.
std::filesystem::path shortName(const std::filesystem::path& path) {
    std::wstring buffer(MAX_PATH, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), buffer.data(), MAX_PATH);
    return length == 0 || length >= MAX_PATH ? path
                                             : std::filesystem::path(buffer.substr(0, length));
}

TEST(Win32Process, EverySpellingOfTheConfigurationMeetsTheSameLock) {
    test::TemporaryDirectory dir;
    const std::filesystem::path folder = dir.path() / "A Long Folder Name";
    std::filesystem::create_directory(folder);
    const std::filesystem::path configuration = folder / "pakvue.config.json";
    std::ofstream(configuration) << "{}";

    std::unique_ptr<platform::InstanceLock> lock = platform::lockInstance(configuration);
    ASSERT_TRUE(lock);
    std::wstring capitals = configuration.wstring();
    for (wchar_t& c : capitals)
        c = static_cast<wchar_t>(std::towupper(c));
    EXPECT_FALSE(platform::lockInstance(capitals));
    EXPECT_FALSE(
        platform::lockInstance(folder / ".." / "a long folder name" / "pakvue.config.json"));
    EXPECT_FALSE(platform::lockInstance(configuration.generic_wstring())) << "forward slashes";
    EXPECT_FALSE(platform::lockInstance(shortName(folder) / "pakvue.config.json"))
        << shortName(folder);

    std::ofstream(dir.path() / "pakvue.config.json") << "{}";
    EXPECT_TRUE(platform::lockInstance(dir.path() / "pakvue.config.json"))
        << "another configuration runs an instance of its own";
    lock.reset();
    EXPECT_TRUE(platform::lockInstance(configuration)) << "released with its holder";
}

} // namespace
