// The Run value that "Start at login" writes on Windows, in a key of the test's own.
#include "platform/LoginStart.h"

#include "gtest/gtest.h"
#include <random>
#include <windows.h>

namespace {

class Win32LoginStartTest : public ::testing::Test {
protected:
    ~Win32LoginStartTest() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PakVueTest"); }

    std::wstring value() const {
        wchar_t text[512] = {};
        DWORD size = sizeof text;
        if (RegGetValueW(HKEY_CURRENT_USER, place.c_str(), L"PakVue", RRF_RT_REG_SZ, nullptr, text,
                         &size) != ERROR_SUCCESS)
            return L"(none)";
        return text;
    }

    const std::filesystem::path place =
        L"Software\\PakVueTest\\Run" + std::to_wstring(std::random_device()());
    const platform::LoginCommand command{
        L"C:\\Program Files\\PakVue\\pakvue.exe",
        L"C:\\Users\\u\\AppData\\Roaming\\PakVue\\pakvue.config.json"};
};

TEST_F(Win32LoginStartTest, TheRunValueRunsThisProgramOnThisConfigurationUntilRemoved) {
    EXPECT_FALSE(platform::startsAtLogin(place, command));
    platform::startAtLogin(place, command);
    EXPECT_EQ(value(), L"\"C:\\Program Files\\PakVue\\pakvue.exe\" --config "
                       L"\"C:\\Users\\u\\AppData\\Roaming\\PakVue\\pakvue.config.json\"");
    EXPECT_TRUE(platform::startsAtLogin(place, command));
    EXPECT_FALSE(platform::startsAtLogin(place, {L"D:\\Tools\\pakvue.exe", command.configuration}))
        << "a program that moved";
    EXPECT_FALSE(platform::startsAtLogin(place, {command.program, L"C:\\other.json"}));
    platform::stopStartingAtLogin(place);
    EXPECT_EQ(value(), L"(none)");
    EXPECT_FALSE(platform::startsAtLogin(place, command));
    platform::stopStartingAtLogin(place); // nothing to remove
}

} // namespace
