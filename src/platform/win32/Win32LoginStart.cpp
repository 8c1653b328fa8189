// The login entry on Windows: the value PakVue of a Run key of HKEY_CURRENT_USER.
#include "platform/LoginStart.h"
#include "platform/win32/Utf16.h"

// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
// clang-format on

#include <stdexcept>
#include <vector>

namespace platform {

namespace {

constexpr const wchar_t* valueName = L"PakVue";

[[noreturn]] void failed(const char* what, const std::filesystem::path& place, LONG error) {
    throw std::runtime_error(
        std::string("unable to ") + what + " the value PakVue of HKEY_CURRENT_USER\\" +
        win32::utf8Of(place.c_str()) + ": Windows error " + std::to_string(error) + ".");
}

// The Run value, or nothing when there is none or it is not text.
std::wstring runValue(const std::filesystem::path& place) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, place.c_str(), valueName, RRF_RT_REG_SZ, nullptr, nullptr,
                     &size) != ERROR_SUCCESS)
        return {};
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, place.c_str(), valueName, RRF_RT_REG_SZ, nullptr,
                     text.data(), &size) != ERROR_SUCCESS)
        return {};
    return text.data();
}

} // namespace

// A program path cannot hold '"', so quotes alone keep each argument whole.
std::string loginCommandLine(const LoginCommand& command) {
    const std::wstring line = L"\"" + command.program.wstring() + L"\" --config \"" +
                              command.configuration.wstring() + L"\"";
    return win32::utf8Of(line.c_str());
}

bool startsAtLogin(const std::filesystem::path& place, const LoginCommand& command) {
    const std::wstring value = runValue(place);
    return !value.empty() && value == win32::utf16Of(loginCommandLine(command));
}

void startAtLogin(const std::filesystem::path& place, const LoginCommand& command) {
    const std::wstring value = win32::utf16Of(loginCommandLine(command));
    HKEY key = nullptr;
    LONG result = RegCreateKeyExW(HKEY_CURRENT_USER, place.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS)
        failed("write", place, result);
    result = RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        failed("write", place, result);
}

void stopStartingAtLogin(const std::filesystem::path& place) {
    HKEY key = nullptr;
    LONG result = RegOpenKeyExW(HKEY_CURRENT_USER, place.c_str(), 0, KEY_SET_VALUE, &key);
    if (result == ERROR_FILE_NOT_FOUND)
        return;
    if (result == ERROR_SUCCESS) {
        result = RegDeleteValueW(key, valueName);
        RegCloseKey(key);
    }
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
        failed("remove", place, result);
}

} // namespace platform
