// A screen reader's view of the real shinkei.exe, from another process, as Windows readers get
// it: the board found among the game's windows, its client's IAccessible through
// AccessibleObjectFromWindow (marshalled across the processes), the 54 cells' names, and the
// events of a card turned heard through an out-of-context WinEvent hook.
//   screen_reader.exe SHINKEI.EXE [/lang:en]
// Prints what it heard and ends with 0 when every check passed.
#include <oleacc.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../accessible_name.h"

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAIL", what);
    if (!ok) {
        ++failures;
    }
}

std::string Utf8(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                          nullptr, nullptr);
    return out;
}

struct Found {
    DWORD process;
    HWND board;
};

// The board: the game's top-level window with a menu bar.
BOOL CALLBACK FindBoard(HWND window, LPARAM found) {
    auto* f = reinterpret_cast<Found*>(found);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == f->process && ::GetMenu(window) != nullptr && ::IsWindowVisible(window)) {
        f->board = window;
        return FALSE;
    }
    return TRUE;
}

struct Heard {
    DWORD event;
    LONG object;
    LONG child;
};
std::vector<Heard> heard;

void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
    heard.push_back({event, object, child});
}

// Takes messages (and so the hook's events) until `done` or the time is up.
template <class Done>
void PumpUntil(Done done, DWORD ms) {
    const ULONGLONG until = ::GetTickCount64() + ms;
    while (!done() && ::GetTickCount64() < until) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fputs("usage: screen_reader.exe SHINKEI.EXE [/lang:en]\n", stderr);
        return 2;
    }
    const bool english = argc > 2 && std::wstring(argv[2]) == L"/lang:en";
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    if (english) {
        commandLine += L" /lang:en";
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION game{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &game)) {
        std::puts("FAIL: shinkei.exe does not start");
        return 1;
    }
    ::WaitForInputIdle(game.hProcess, 10000);
    Found found{game.dwProcessId, nullptr};
    PumpUntil(
        [&] {
            ::EnumWindows(FindBoard, reinterpret_cast<LPARAM>(&found));
            return found.board != nullptr;
        },
        10000);
    Check(found.board != nullptr, "the board window is found among the game's windows");

    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* client = nullptr;
    if (found.board != nullptr) {
        const HRESULT got =
            ::AccessibleObjectFromWindow(found.board, static_cast<DWORD>(OBJID_CLIENT),
                                         __uuidof(IAccessible), reinterpret_cast<void**>(&client));
        std::printf("AccessibleObjectFromWindow: 0x%08lx\n", static_cast<unsigned long>(got));
    }
    Check(client != nullptr, "the board's client answers with an IAccessible");
    if (client != nullptr) {
        LONG count = 0;
        client->get_accChildCount(&count);
        Check(count == 54, "it has 54 children");
        const std::wstring faceDown = english ? L"face down, column 1, row 1" : L"裏向き, 1列 1行";
        const std::wstring last = english ? L"face down, column 9, row 6" : L"裏向き, 9列 6行";
        std::printf("cell 1: %s\n", Utf8(NameOf(*client, 1)).c_str());
        Check(NameOf(*client, 1) == faceDown, "the first cell is face down, at column 1, row 1");
        Check(NameOf(*client, 54) == last, "the last cell is face down, at column 9, row 6");

        const HWINEVENTHOOK hook =
            ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr, Hear,
                              game.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
        Check(hook != nullptr, "a WinEvent hook is set on the game");
        ::PostMessageW(found.board, WM_KEYDOWN, VK_SPACE, 0);
        const auto turned = [] {
            for (const Heard& h : heard) {
                if (h.event == EVENT_OBJECT_LIVEREGIONCHANGED) {
                    return true;
                }
            }
            return false;
        };
        PumpUntil(turned, 5000);
        bool nameChange = false;
        for (const Heard& h : heard) {
            std::printf("event 0x%04lx object %ld child %ld\n", static_cast<unsigned long>(h.event),
                        h.object, h.child);
            nameChange = nameChange || (h.event == EVENT_OBJECT_NAMECHANGE &&
                                        h.object == OBJID_CLIENT && h.child == 1);
        }
        Check(nameChange, "the turned card's cell raises a name change");
        Check(turned(), "the board says it");
        const std::wstring up = NameOf(*client, 1);
        std::printf("cell 1 turned: %s\n", Utf8(up).c_str());
        const std::wstring place = english ? L", column 1, row 1" : L", 1列 1行";
        Check(up != faceDown && up.size() > place.size() &&
                  up.compare(up.size() - place.size(), place.size(), place) == 0,
              "the cell now names its card, at the same place");
        Check(NameOf(*client, CHILDID_SELF) == up, "the client says the card turned");
        if (hook != nullptr) {
            ::UnhookWinEvent(hook);
        }
        client->Release();
    }
    ::CoUninitialize();

    if (found.board != nullptr) {
        ::PostMessageW(found.board, WM_CLOSE, 0, 0);
    }
    if (::WaitForSingleObject(game.hProcess, 10000) != WAIT_OBJECT_0) {
        ::TerminateProcess(game.hProcess, 1);
    }
    ::CloseHandle(game.hThread);
    ::CloseHandle(game.hProcess);
    std::printf("%s\n", failures == 0 ? "PASS" : "FAILED");
    return failures == 0 ? 0 : 1;
}
