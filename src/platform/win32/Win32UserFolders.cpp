// The user's folders on Windows: the roaming and local application data of the profile.
#include "platform/UserFolders.h"

// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
// clang-format on

namespace platform {

namespace {

std::filesystem::path knownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::filesystem::path folder;
    if (SHGetKnownFolderPath(id, 0, nullptr, &path) == S_OK)
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

} // namespace

UserFolders userFolders() {
    UserFolders folders;
    if (const std::filesystem::path roaming = knownFolder(FOLDERID_RoamingAppData);
        !roaming.empty())
        folders.configuration = roaming / L"PakVue";
    if (const std::filesystem::path local = knownFolder(FOLDERID_LocalAppData); !local.empty())
        folders.state = local / L"PakVue";
    folders.loginStart = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    return folders;
}

} // namespace platform
