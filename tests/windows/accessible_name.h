// The name a screen reader reads for one child of an accessible object, or "(no name)".
#pragma once

#include <oleacc.h>
#include <windows.h>

#include <string>

inline std::wstring NameOf(IAccessible& client, LONG child) {
    VARIANT which{};
    which.vt = VT_I4;
    which.lVal = child;
    BSTR name = nullptr;
    if (FAILED(client.get_accName(which, &name)) || name == nullptr) {
        return L"(no name)";
    }
    std::wstring text(name, ::SysStringLen(name));
    ::SysFreeString(name);
    return text;
}
