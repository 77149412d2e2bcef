// Menus, dialog templates and strings in the language the application chose, looked up by that
// language explicitly: the system's own choice follows its user interface language, which the
// player may not read.
#include "framework/win32/platform.h"

namespace afx::win32 {

const void* LoadLanguageResource(const wchar_t* type, UINT id) {
    HRSRC found =
        ::FindResourceExW(Instance(), type, MAKEINTRESOURCEW(id), detail::ApplicationLanguage());
    if (found == nullptr) {
        found = ::FindResourceW(Instance(), MAKEINTRESOURCEW(id), type);
    }
    const HGLOBAL loaded = found != nullptr ? ::LoadResource(Instance(), found) : nullptr;
    return loaded != nullptr ? ::LockResource(loaded) : nullptr;
}

}  // namespace afx::win32

// Strings come in blocks of sixteen, each a count of UTF-16 units and the units.
std::string AfxLoadString(UINT id) {
    const auto* entry =
        static_cast<const WORD*>(afx::win32::LoadLanguageResource(RT_STRING, id / 16 + 1));
    if (entry == nullptr) {
        return {};
    }
    for (UINT skip = id % 16; skip > 0; --skip) {
        entry += 1 + *entry;
    }
    return afx::win32::Narrow(
        std::wstring_view(reinterpret_cast<const wchar_t*>(entry + 1), *entry));
}

std::string AfxFormatString1(UINT id, std::string_view argument) {
    std::string text = AfxLoadString(id);
    if (const std::size_t at = text.find("%1"); at != std::string::npos) {
        text.replace(at, 2, argument);
    }
    return text;
}
