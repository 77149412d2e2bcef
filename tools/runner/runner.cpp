// shinkei-runner: plays a script on the real Windows API, in real time, and writes the same
// transcript as `shinkei-sim script`.
//   shinkei-runner --seed N [--lang en] SCRIPT TRANSCRIPT
// The script's commands: click X Y, key NAME, wait MS, command ID, answer ID, dialog HUMANS BITS,
// dialog cancel, # comments. Boxes and the settings dialog are answered from here, as a user
// would answer them, by a timer that finds them open; what the program asks of Windows (boxes,
// sounds) is seen through its own import table.
#include <algorithm>
#include <chrono>
#include <deque>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/board_frame.h"
#include "app/game_app.h"
#include "framework/win32/platform.h"
#include "game/observer.h"
#include "resource.h"
#include "simulator.h"
#include "transcript.h"

namespace {

std::ofstream out;

void Line(const std::string& text) {
    out << text << '\n';
    out.flush();
}

// --- What the program asks of Windows ----------------------------------------------------------

using MessageBoxFunction = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT, WORD);
using PlaySoundFunction = BOOL(WINAPI*)(LPCSTR, UINT);
MessageBoxFunction realMessageBox = nullptr;
PlaySoundFunction realPlaySound = nullptr;

// The captions of the boxes open now, the newest last: a modal window with one of them is a box.
std::vector<std::wstring> openBoxCaptions;

int WINAPI WatchedMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type, WORD language) {
    Line(transcript::Box(type, afx::win32::Narrow(caption), afx::win32::Narrow(text)));
    openBoxCaptions.push_back(caption != nullptr ? caption : L"");
    const int answer = realMessageBox(owner, text, caption, type, language);
    openBoxCaptions.pop_back();
    return answer;
}

BOOL WINAPI WatchedPlaySound(LPCSTR name, UINT flags) {
    Line(transcript::Sound(name != nullptr ? name : ""));
    return realPlaySound(name, flags);
}

// Points the executable's import of `name` from `dll` at `replacement`; returns the original.
void* Redirect(const char* dll, const char* name, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; descriptor->Name != 0; ++descriptor) {
        if (::lstrcmpiA(reinterpret_cast<const char*>(base + descriptor->Name), dll) != 0) {
            continue;
        }
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::string(reinterpret_cast<const char*>(byName->Name)) != name) {
                continue;
            }
            DWORD protection = 0;
            ::VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &protection);
            void* original = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            ::VirtualProtect(&slots->u1.Function, sizeof(void*), protection, &protection);
            return original;
        }
    }
    return nullptr;
}

// --- What the game tells ---------------------------------------------------------------------

// The game's own events come through a transcript::Observer writing each Line.

// --- The user -----------------------------------------------------------------------------------

struct DialogAnswer {
    bool cancel = true;
    int humans = 0;
    int computerBits = 0;
};
std::deque<int> boxAnswers;
std::deque<DialogAnswer> dialogAnswers;
HWND answered = nullptr;

BOOL CALLBACK FindModal(HWND hwnd, LPARAM found) {
    wchar_t name[16] = {};
    ::GetClassNameW(hwnd, name, 16);
    if (std::wstring(name) == L"#32770" && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

void Press(HWND modal, int button) {
    ::PostMessageW(modal, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(modal, button)));
}

bool IsOpenBox(HWND modal) {
    wchar_t caption[256] = {};
    ::GetWindowTextW(modal, caption, 256);
    return std::find(openBoxCaptions.begin(), openBoxCaptions.end(), caption) !=
           openBoxCaptions.end();
}

// Answers each box or dialog once, as soon as it is open: the queued answer, or the default
// button for a box (Yes, or OK) and Cancel for the settings dialog. Any other dialog (the
// version) is closed with OK and takes no answer.
void CALLBACK AnswerModals(HWND, UINT, UINT_PTR, DWORD) {
    HWND modal = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindModal, reinterpret_cast<LPARAM>(&modal));
    if (modal == nullptr || modal == answered) {
        return;
    }
    answered = modal;
    if (::GetDlgItem(modal, IDC_HUMANS_1) != nullptr) {
        DialogAnswer answer;
        if (!dialogAnswers.empty()) {
            answer = dialogAnswers.front();
            dialogAnswers.pop_front();
        }
        if (answer.cancel) {
            Press(modal, IDCANCEL);
            return;
        }
        const int radio = answer.humans == 0 ? IDC_HUMANS_NONE : IDC_HUMANS_1 - 1 + answer.humans;
        ::SendMessageW(::GetDlgItem(modal, radio), BM_CLICK, 0, 0);
        const int boxes[4] = {IDC_COMPUTER_01, IDC_COMPUTER_02, IDC_COMPUTER_04, IDC_COMPUTER_08};
        for (int i = 0; i < 4; ++i) {
            const bool wanted = (answer.computerBits & (1 << i)) != 0;
            if (wanted != (::IsDlgButtonChecked(modal, boxes[i]) == BST_CHECKED)) {
                ::SendMessageW(::GetDlgItem(modal, boxes[i]), BM_CLICK, 0, 0);
            }
        }
        Press(modal, IDOK);
        return;
    }
    if (!IsOpenBox(modal)) {
        Press(modal, IDOK);
        return;
    }
    int answer = ::GetDlgItem(modal, IDYES) != nullptr ? IDYES : IDOK;
    if (!boxAnswers.empty()) {
        answer = boxAnswers.front();
        boxAnswers.pop_front();
    }
    Press(modal, answer);
}

// --- The loop -----------------------------------------------------------------------------------

bool quit = false;

void RunPending() {
    MSG msg;
    while (!quit && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            Line(transcript::Quit(static_cast<int>(msg.wParam)));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void Wait(long long ms) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(ms);
    for (ULONGLONG now; !quit && (now = ::GetTickCount64()) < end;) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        RunPending();
    }
}

int Fail(const std::string& why) {
    std::cerr << "shinkei-runner: " << why << '\n';
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // The program's own command line: "/lang:en" when the session is to be in English.
    std::string commandLine;
    if (args.size() == 6 && args[2] == "--lang") {
        commandLine = "/lang:" + args[3];
        args.erase(args.begin() + 2, args.begin() + 4);
    }
    if (args.size() != 4 || args[0] != "--seed") {
        return Fail("usage: shinkei-runner --seed N [--lang en] SCRIPT TRANSCRIPT");
    }
    const auto seed = static_cast<std::uint32_t>(std::stoul(args[1], nullptr, 0));
    std::ifstream script(args[2]);
    out.open(args[3], std::ios::binary);
    if (!script || !out) {
        return Fail("cannot read the script or write the transcript");
    }
    realMessageBox = reinterpret_cast<MessageBoxFunction>(
        Redirect("user32.dll", "MessageBoxExW", reinterpret_cast<void*>(WatchedMessageBox)));
    realPlaySound = reinterpret_cast<PlaySoundFunction>(
        Redirect("winmm.dll", "sndPlaySoundA", reinterpret_cast<void*>(WatchedPlaySound)));
    if (realMessageBox == nullptr || realPlaySound == nullptr) {
        return Fail("the program imports no MessageBoxExW or sndPlaySoundA");
    }
    const auto start = std::chrono::steady_clock::now();
    transcript::Observer watcher(Line);
    SetGameObserver(&watcher);
    auto app = std::make_unique<GameApp>();
    SeedRandom(seed);  // the clock the program read stands for the seed, as in the simulator
    app->m_lpCmdLine = commandLine.c_str();
    ::SetTimer(nullptr, 0, 5, AnswerModals);
    app->InitInstance();
    const HWND board = app->m_pMainWnd->m_hWnd;

    int number = 0;
    for (std::string text; !quit && std::getline(script, text);) {
        ++number;
        std::istringstream words(text);
        std::string verb;
        if (!(words >> verb) || verb[0] == '#') {
            continue;
        }
        RunPending();
        if (quit) {
            break;
        }
        if (verb == "key") {
            // A key pressed while the board has the focus, as Windows sends it: once, with its
            // scan code, the arrows marked as keys of the extended keyboard.
            std::string name;
            words >> name;
            const auto key = std::find_if(
                std::begin(shinkei_sim::kScriptKeys), std::end(shinkei_sim::kScriptKeys),
                [&](const shinkei_sim::ScriptKey& k) { return name == k.name; });
            if (key == std::end(shinkei_sim::kScriptKeys)) {
                return Fail("line " + std::to_string(number) + ": no key '" + name + "'");
            }
            const UINT scan = ::MapVirtualKeyW(key->virtualKey, MAPVK_VK_TO_VSC);
            const bool extended = key->virtualKey >= VK_LEFT && key->virtualKey <= VK_DOWN;
            ::PostMessageW(board, WM_KEYDOWN, key->virtualKey,
                           static_cast<LPARAM>(1 | (scan << 16) | (extended ? 1u << 24 : 0u)));
            RunPending();
            continue;
        }
        std::vector<long long> values;
        std::string word;
        bool cancel = false;
        while (words >> word) {
            std::size_t used = 0;
            try {
                values.push_back(std::stoll(word, &used, 0));
            } catch (const std::exception&) {
                used = 0;
            }
            cancel = verb == "dialog" && word == "cancel" && values.empty();
            if (used != word.size() && !cancel) {
                return Fail("line " + std::to_string(number) + ": not a number '" + word + "'");
            }
        }
        const std::size_t wanted = verb == "click" ? 2 : verb == "dialog" ? (cancel ? 0 : 2) : 1;
        if (values.size() != wanted) {
            return Fail("line " + std::to_string(number) + ": wrong number of values");
        }
        const long long a = values.empty() ? 0 : values[0];
        const long long b = values.size() > 1 ? values[1] : 0;
        if (verb == "click") {
            ::PostMessageW(board, WM_LBUTTONDOWN, MK_LBUTTON,
                           MAKELPARAM(static_cast<int>(a), static_cast<int>(b)));
        } else if (verb == "wait") {
            Wait(a);
        } else if (verb == "command") {
            const UINT state = ::GetMenuState(::GetMenu(board), static_cast<UINT>(a), MF_BYCOMMAND);
            if (state != static_cast<UINT>(-1) && (state & MF_GRAYED) == 0) {
                ::PostMessageW(board, WM_COMMAND, static_cast<WPARAM>(a), 0);
            }
        } else if (verb == "answer") {
            boxAnswers.push_back(static_cast<int>(a));
        } else if (verb == "dialog") {
            dialogAnswers.push_back(
                cancel ? DialogAnswer{}
                       : DialogAnswer{false, static_cast<int>(a), static_cast<int>(b)});
        } else {
            return Fail("line " + std::to_string(number) + ": unknown command '" + verb + "'");
        }
        RunPending();
    }
    SetGameObserver(nullptr);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cerr << "shinkei-runner: " << args[2] << " played in " << seconds << " s\n";
    out.close();
    if (::IsWindow(board)) {
        ::DestroyWindow(board);
    }
    return 0;
}
