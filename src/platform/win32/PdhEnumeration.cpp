#include "platform/win32/PdhEnumeration.h"

#include "platform/win32/Utf16.h"

#include <vector>

namespace platform::win32 {

namespace {

// Wine tells itself apart by this export of its ntdll.
bool underWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The names of a performance text key's "Counter" value by their indexes: a list of pairs of
// strings, index and name, each ending in a zero.
std::map<std::wstring, std::wstring> indexedNames(HKEY key) {
    std::map<std::wstring, std::wstring> names;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, L"Counter", nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return names;
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 2, L'\0');
    if (RegQueryValueExW(key, L"Counter", nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()),
                         &bytes) != ERROR_SUCCESS)
        return names;
    for (const wchar_t* at = text.data(); *at != L'\0';) {
        const std::wstring index = at;
        at += index.size() + 1;
        const std::wstring name = at;
        at += name.size() + 1;
        names.emplace(index, name);
        if (name.empty())
            break;
    }
    return names;
}

// The performance registry's English names, by the index they share with the user's language.
std::map<std::string, std::string> performanceRegistryNames() {
    const auto english = indexedNames(HKEY_PERFORMANCE_TEXT);
    std::map<std::string, std::string> names;
    for (const auto& [index, local] : indexedNames(HKEY_PERFORMANCE_NLSTEXT))
        if (const auto found = english.find(index); found != english.end())
            names.emplace(utf8Of(local.c_str()), utf8Of(found->second.c_str()));
    return names;
}

} // namespace

const PdhEnumeration& systemEnumeration() {
    static const PdhEnumeration functions{
        underWine() ? nullptr : PdhEnumObjectsW,
        underWine() ? nullptr : PdhEnumObjectItemsW,
        performanceRegistryNames,
    };
    return functions;
}

} // namespace platform::win32
