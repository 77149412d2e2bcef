// What Windows reads from shinkei.exe itself (its version information and its manifest), and
// whether every text of the two dialogs fits its control in the fonts the player gets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource.h"
#include "support.h"

using testing_support::WindowTextW;

namespace {

// The shipped program, as Wine names the Unix path given at build time.
std::wstring ShippedExe() {
    return L"Z:" + afx::win32::Widen(SHINKEI_EXE_PATH);
}

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) {
        return L"(missing)";
    }
    return static_cast<const wchar_t*>(value);
}

TEST(Release, VersionInformationNamesTheProgramAndItsVersion) {
    const std::wstring exe = ShippedExe();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version information in " << afx::win32::Narrow(exe);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedLength = 0;
    ASSERT_TRUE(
        ::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedLength));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, (1u << 16) | 27u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, (1u << 16) | 27u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    struct {
        const wchar_t* name;
        std::wstring expected;
    } const strings[] = {
        {L"ProductName", L"神経衰弱"},
        {L"FileVersion", L"1.27"},
        {L"ProductVersion", L"1.27"},
        {L"OriginalFilename", L"shinkei.exe"},
        {L"LegalCopyright", L"Copyright (C) 2026 The Shinkei project"},
    };
    for (const auto& s : strings) {
        EXPECT_EQ(VersionString(info, s.name), s.expected) << afx::win32::Narrow(s.name);
    }
    EXPECT_NE(VersionString(info, L"FileDescription").find(L"神経衰弱"), std::wstring::npos);

    // Explorer finds the strings through the language and code page listed here.
    WORD* translation = nullptr;
    UINT translationLength = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                                 reinterpret_cast<void**>(&translation), &translationLength));
    ASSERT_GE(translationLength, 4u);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 1200);
}

TEST(Release, ManifestRunsAsInvokerWithGdiScalingAndClassicControls) {
    const std::wstring exe = ShippedExe();
    const HMODULE module = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << afx::win32::Narrow(exe);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr) << "no manifest (RT_MANIFEST 1)";
    const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
    const std::string manifest(bytes, ::SizeofResource(module, found));
    ::FreeLibrary(module);

    for (const char* wanted : {
             R"(level="asInvoker")",
             "<gdiScaling xmlns=\"http://schemas.microsoft.com/SMI/2017/WindowsSettings\">true",
             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
         }) {
        EXPECT_NE(manifest.find(wanted), std::string::npos) << "lacks " << wanted;
    }
    for (const char* unwanted : {"Microsoft.Windows.Common-Controls", "dpiAwareness",
                                 ">true</dpiAware>", "PerMonitor", "requireAdministrator"}) {
        EXPECT_EQ(manifest.find(unwanted), std::string::npos) << "has " << unwanted;
    }
}

// --- Every text whole ---------------------------------------------------------------------

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::wstring ClassOf(HWND control) {
    wchar_t name[32] = {};
    ::GetClassNameW(control, name, 32);
    return name;
}

// How much room a control's text needs, drawn as the control draws it.
struct TextFit {
    SIZE needed;
    SIZE room;
};

TextFit Measure(HWND control, const std::wstring& text) {
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(control, GWL_STYLE));
    RECT client{};
    ::GetClientRect(control, &client);
    const HDC dc = ::GetDC(control);
    const HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    TextFit fit{{0, 0}, {client.right, client.bottom}};
    if (ClassOf(control) == L"Static") {
        // A static text wraps at its width, as DrawText does it.
        RECT r{0, 0, client.right, 0};
        ::DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        fit.needed = {r.right, r.bottom};
    } else {
        // Buttons keep one line; a check box or a radio button gives part of its width to the
        // box, a group box to its frame.
        RECT r{0, 0, 0, 0};
        ::DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
        const DWORD type = style & BS_TYPEMASK;
        const bool boxed = type == BS_AUTOCHECKBOX || type == BS_CHECKBOX ||
                           type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON;
        const LONG besideText = boxed ? 12 + 4 : type == BS_GROUPBOX ? 2 * 8 : 0;
        fit.needed = {r.right + besideText, metrics.tmHeight};
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return fit;
}

TEST(Release, EveryTextOfBothDialogsFitsItsControlInBothLanguages) {
    for (const LANGID language : {LANGID{0x0411}, LANGID{0x0409}})  // Japanese, English
        for (const UINT dialogId : {IDD_VERSION, IDD_SETTINGS}) {
            const HMODULE module = ::GetModuleHandleW(nullptr);
            const HRSRC found =
                ::FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(dialogId), language);
            ASSERT_NE(found, nullptr) << "dialog " << dialogId << " in language " << language;
            const auto* dialogTemplate =
                static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(module, found)));
            const HWND dialog =
                ::CreateDialogIndirectParamW(module, dialogTemplate, nullptr, QuietDialog, 0);
            ASSERT_NE(dialog, nullptr) << "dialog " << dialogId;
            int measured = 0;
            for (HWND control = ::GetWindow(dialog, GW_CHILD); control != nullptr;
                 control = ::GetWindow(control, GW_HWNDNEXT)) {
                const std::wstring text = WindowTextW(control);
                const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(control, GWL_STYLE));
                const bool image =
                    ClassOf(control) == L"Static" && (style & SS_TYPEMASK) > SS_RIGHT;
                if (text.empty() || image) {
                    continue;
                }
                const TextFit fit = Measure(control, text);
                EXPECT_LE(fit.needed.cx, fit.room.cx)
                    << "dialog " << dialogId << ", \"" << afx::win32::Narrow(text)
                    << "\" is too wide";
                EXPECT_LE(fit.needed.cy, fit.room.cy)
                    << "dialog " << dialogId << ", \"" << afx::win32::Narrow(text)
                    << "\" is too tall";
                ++measured;
            }
            EXPECT_EQ(measured, dialogId == IDD_VERSION ? 8 : 19) << "dialog " << dialogId;
            ::DestroyWindow(dialog);
        }
}

}  // namespace
