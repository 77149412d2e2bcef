// Private to the Win32 backend: the framework's declarations first, then the real Windows API.
// Windows' A/W name macros would rename the framework's members (MessageBox, TextOut, ...), so
// they are undone here; the backend calls the W functions by their full names.
#pragma once

#include "framework/afxwin.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
// windows.h first: the multimedia and common-control headers build on it.
#include <commctrl.h>
#include <mmsystem.h>

#undef DispatchMessage
#undef GetCurrentTime
#undef GetWindowText
#undef LoadBitmap
#undef LoadIcon
#undef MessageBox
#undef SetWindowText
#undef TextOut

#include <string>
#include <string_view>

namespace afx::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The module whose resources the program loads: the executable itself.
HINSTANCE Instance();

// The resource of that type and id in the application's language (or the system's choice when
// it has none in that language); null when there is no such resource.
const void* LoadLanguageResource(const wchar_t* type, UINT id);

// The C++ object behind a window of ours, or null.
CWnd* FromHandle(HWND window);

// The answer to WM_GETOBJECT for the client of a window with accessible children: a reader's
// object that asks the window for its children's names, places and focus.
LRESULT AnswerGetObject(HWND window, WPARAM flags);

}  // namespace afx::win32
