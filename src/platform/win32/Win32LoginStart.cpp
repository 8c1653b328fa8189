// The login entry on Windows: the value PakVue of a Run key of HKEY_CURRENT_USER.
#include "platform/LoginStart.h"

// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
// clang-format on

#include <stdexcept>
#include <vector>

namespace platform {

namespace {

constexpr const wchar_t* valueName = L"PakVue";

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

std::wstring wide(const std::string& text) {
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        size);
    return result;
}

[[noreturn]] void failed(const char* what, const std::filesystem::path& place, LONG error) {
    throw std::runtime_error(std::string("unable to ") + what +
                             " the value PakVue of HKEY_CURRENT_USER\\" + utf8(place.wstring()) +
                             ": Windows error " + std::to_string(error) + ".");
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
    return utf8(L"\"" + command.program.wstring() + L"\" --config \"" +
                command.configuration.wstring() + L"\"");
}

bool startsAtLogin(const std::filesystem::path& place, const LoginCommand& command) {
    const std::wstring value = runValue(place);
    return !value.empty() && value == wide(loginCommandLine(command));
}

void startAtLogin(const std::filesystem::path& place, const LoginCommand& command) {
    const std::wstring value = wide(loginCommandLine(command));
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
