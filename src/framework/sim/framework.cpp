// The framework's windows, dialogs, menus and application over the simulated desktop, and the
// Windows services the program calls directly.
#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>

#include "framework/sim/desktop_impl.h"

using sim::ClampToInt;
using sim::CurrentImpl;
using sim::WindowSlot;

namespace {

CWinApp* g_app = nullptr;

WindowSlot* SlotOf(HWND hwnd) {
    sim::Desktop::Impl* impl = CurrentImpl();
    return impl != nullptr ? impl->Find(hwnd) : nullptr;
}

sim::ControlState* ControlOf(HWND dialog, int id) {
    WindowSlot* w = SlotOf(dialog);
    return w != nullptr && w->dialog != nullptr ? w->dialog->Find(id) : nullptr;
}

bool IsButton(const sim::ControlState& c) {
    using Kind = sim::ControlTemplate::Kind;
    const Kind k = c.control->kind;
    return k == Kind::CheckBox || k == Kind::AutoCheckBox || k == Kind::RadioButton ||
           k == Kind::AutoRadioButton;
}

sim::MenuItemInfo* MenuItem(HMENU menu, UINT id) {
    sim::Desktop::Impl* impl = CurrentImpl();
    sim::MenuSlot* m = impl != nullptr ? impl->MenuOf(menu) : nullptr;
    return m != nullptr ? sim::FindMenuItem(m->items, id) : nullptr;
}

}  // namespace

// --- Windows services ----------------------------------------------------------------------------

namespace afx {

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN:
            return 1024;
        case SM_CYSCREEN:
            return 768;
        case SM_CYCAPTION:
        case SM_CYMENU:
            return 19;
        case SM_CXBORDER:
        case SM_CYBORDER:
            return 1;
        case SM_CXFIXEDFRAME:
        case SM_CYFIXEDFRAME:
            return 3;
        case SM_CXFRAME:
        case SM_CYFRAME:
            return 4;
        default:
            return 0;
    }
}

void PostQuitMessage(int exitCode) {
    if (sim::Desktop::Impl* impl = CurrentImpl()) {
        impl->PostQuit(exitCode);
    }
}

HGDIOBJ GetStockObject(int object) {
    return sim::MakeHandle<HGDIOBJ>(sim::Tag::Stock, static_cast<std::uint32_t>(object), 0);
}

BOOL DestroyIcon(HICON icon) {
    std::uint32_t index = 0;
    std::uint32_t generation = 0;
    return sim::SplitHandle(icon, sim::Tag::Icon, index, generation) ? TRUE : FALSE;
}

BOOL sndPlaySoundA(const char* soundName, UINT flags) {
    // With no desktop (a static object's construction) there is nobody to hear it.
    sim::Desktop::Impl* impl = CurrentImpl();
    if (impl == nullptr) {
        return TRUE;
    }
    if (!impl->recording && !impl->self.onSound) {
        return TRUE;  // nobody keeps or hears it: no record to build
    }
    const sim::SoundRecord record{impl->now, soundName != nullptr ? soundName : "", flags};
    if (impl->recording) {
        impl->sounds.push_back(record);
    }
    if (impl->self.onSound) {
        impl->self.onSound(record);
    }
    return TRUE;
}

DWORD mciSendStringA(const char* command, char* returnBuffer, UINT returnLength, HWND callback) {
    if (returnBuffer != nullptr && returnLength > 0) {
        returnBuffer[0] = '\0';
    }
    const std::string_view text = command != nullptr ? command : "";
    sim::Desktop::Impl* impl = CurrentImpl();
    if (impl == nullptr) {
        return 0;
    }
    sim::MusicRecord record{impl->now, std::string(text), callback};
    // "play <device> ... notify": the device reports the end of the piece to this window.
    if (text.substr(0, 5) == "play " && text.find(" notify") != std::string_view::npos) {
        impl->musicCallback = callback;
    }
    if (impl->self.onMusic) {
        impl->self.onMusic(record);
    }
    if (impl->recording) {
        impl->music.push_back(std::move(record));
    }
    return 0;
}

}  // namespace afx

CTime CTime::GetCurrentTime() {
    sim::Desktop::Impl* impl = CurrentImpl();
    return CTime(impl != nullptr ? impl->self.CalendarTime() : 0);
}

// --- Windows -------------------------------------------------------------------------------------

CWnd::~CWnd() {
    // A window outliving its object goes with it, as the framework does.
    if (m_hWnd != nullptr) {
        if (sim::Desktop::Impl* impl = CurrentImpl()) {
            impl->Destroy(m_hWnd);
        }
        m_hWnd = nullptr;
    }
}

BOOL CWnd::ShowWindow(int showCommand) {
    WindowSlot* w = SlotOf(m_hWnd);
    if (w == nullptr) {
        return FALSE;
    }
    const bool wasVisible = w->info.visible;
    CurrentImpl()->SetVisible(*w, showCommand != SW_HIDE);
    return wasVisible ? TRUE : FALSE;
}

void CWnd::UpdateWindow() {
    WindowSlot* w = SlotOf(m_hWnd);
    if (w != nullptr && !w->region.Empty()) {
        CurrentImpl()->Send(*w, WM_PAINT, 0, 0);
    }
}

void CWnd::Invalidate(BOOL erase) {
    InvalidateRect(nullptr, erase);
}

void CWnd::InvalidateRect(const CRect* rect, BOOL erase) {
    if (WindowSlot* w = SlotOf(m_hWnd)) {
        CurrentImpl()->Invalidate(*w, rect, erase != FALSE);
    }
}

UINT_PTR CWnd::SetTimer(UINT_PTR idEvent, UINT elapseMs, void*) {
    WindowSlot* w = SlotOf(m_hWnd);
    if (w == nullptr) {
        return 0;
    }
    CurrentImpl()->SetTimer(*w, idEvent, elapseMs);
    return idEvent != 0 ? idEvent : 1;
}

BOOL CWnd::KillTimer(UINT_PTR idEvent) {
    WindowSlot* w = SlotOf(m_hWnd);
    return w != nullptr && CurrentImpl()->KillTimer(*w, idEvent) ? TRUE : FALSE;
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
    sim::Desktop::Impl* impl = CurrentImpl();
    return impl != nullptr ? impl->RunMessageBox(m_hWnd, text, caption, type) : 0;
}

void CWnd::SetWindowText(const char* text) {
    if (WindowSlot* w = SlotOf(m_hWnd)) {
        w->info.caption = text != nullptr ? text : "";
        ++CurrentImpl()->windowChanges;
    }
}

void CWnd::NotifyWinEvent(DWORD event, LONG objectType, LONG child) {
    sim::Desktop::Impl* impl = CurrentImpl();
    if (impl == nullptr || (!impl->recording && !impl->self.onAccess)) {
        return;  // nobody reads the screen: no window or name to look up
    }
    if (objectType != OBJID_CLIENT || SlotOf(m_hWnd) == nullptr) {
        return;
    }
    sim::AccessRecord record{impl->now, m_hWnd, event, child, {}};
    if (event != EVENT_OBJECT_REORDER) {
        record.name = GetAccessibleName(child);
    }
    if (impl->recording) {
        impl->accesses.push_back(record);
    }
    if (impl->self.onAccess) {
        impl->self.onAccess(record);
    }
}

std::string CWnd::GetWindowText() const {
    const WindowSlot* w = SlotOf(m_hWnd);
    return w != nullptr ? w->info.caption : std::string();
}

void CWnd::GetWindowRect(CRect* rect) const {
    const WindowSlot* w = SlotOf(m_hWnd);
    *rect = w != nullptr ? w->info.windowRect : CRect{};
}

void CWnd::GetClientRect(CRect* rect) const {
    const WindowSlot* w = SlotOf(m_hWnd);
    *rect = w != nullptr ? w->info.clientRect : CRect{};
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    WindowSlot* w = SlotOf(m_hWnd);
    if (w == nullptr) {
        return;
    }
    const CRect rect{x, y, ClampToInt(static_cast<long long>(x) + std::max(0, width)),
                     ClampToInt(static_cast<long long>(y) + std::max(0, height))};
    CurrentImpl()->SetWindowRect(*w, rect);
    if (repaint != FALSE) {
        CurrentImpl()->Invalidate(*w, nullptr, true);
    }
}

HMENU CWnd::GetMenu() const {
    const WindowSlot* w = SlotOf(m_hWnd);
    return w != nullptr ? w->menu : nullptr;
}

BOOL CWnd::DestroyWindow() {
    sim::Desktop::Impl* impl = CurrentImpl();
    return impl != nullptr && impl->Destroy(m_hWnd) ? TRUE : FALSE;
}

BOOL CWnd::IsWindowEnabled() const {
    const WindowSlot* w = SlotOf(m_hWnd);
    return w != nullptr && w->info.enabled ? TRUE : FALSE;
}

BOOL CWnd::IsWindowVisible() const {
    const WindowSlot* w = SlotOf(m_hWnd);
    return w != nullptr && w->info.visible ? TRUE : FALSE;
}

DWORD CWnd::GetStyle() const {
    const WindowSlot* w = SlotOf(m_hWnd);
    if (w == nullptr) {
        return 0;
    }
    return w->info.style | (w->info.visible ? WS_VISIBLE : 0) | (w->info.enabled ? 0 : WS_DISABLED);
}

BOOL CFrameWnd::Create(const char* className, const char* windowName, DWORD style,
                       const CRect& rect, CWnd* parent, UINT menuId, DWORD exStyle) {
    sim::Desktop::Impl* impl = CurrentImpl();
    if (impl == nullptr || m_hWnd != nullptr) {
        return FALSE;
    }
    if (className != nullptr && impl->FindClass(className) == nullptr) {
        return FALSE;  // CreateWindow fails for a class nobody registered
    }
    if (menuId != 0 && sim::detail::ProgramResources().FindMenu(menuId) == nullptr) {
        PostNcDestroy();  // as the framework does when the menu cannot be loaded
        return FALSE;
    }
    // The frame passes right - left as the width: for the default rectangle that difference
    // overflows an int, which Windows reads as "default size".
    constexpr int kDefaultX = 22;
    constexpr int kDefaultY = 22;
    constexpr int kDefaultWidth = 400;
    constexpr int kDefaultHeight = 300;
    const bool defaultPosition = rect.left == CW_USEDEFAULT;
    const int x = defaultPosition ? kDefaultX : rect.left;
    const int y = defaultPosition ? kDefaultY : rect.top;
    const long long width = static_cast<long long>(rect.right) - rect.left;
    const long long height = static_cast<long long>(rect.bottom) - rect.top;
    const bool defaultSize = rect == rectDefault || width > std::numeric_limits<int>::max() ||
                             width < std::numeric_limits<int>::min() || width == CW_USEDEFAULT;
    const long long cx = defaultSize ? kDefaultWidth : std::max(0LL, width);
    const long long cy = defaultSize
                             ? kDefaultHeight
                             : std::clamp<long long>(height, 0, std::numeric_limits<int>::max());
    const CRect windowRect{x, y, ClampToInt(x + cx), ClampToInt(y + cy)};
    const HWND owner = parent != nullptr ? parent->m_hWnd : nullptr;
    return impl->Create(this, className, windowName, style, exStyle, windowRect, owner, menuId) !=
                   nullptr
               ? TRUE
               : FALSE;
}

// --- Dialogs -------------------------------------------------------------------------------------

CDialog::CDialog(UINT templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() {
    if (m_hWnd != nullptr) {
        if (sim::Desktop::Impl* impl = CurrentImpl()) {
            impl->Destroy(m_hWnd);
        }
        m_hWnd = nullptr;
    }
}

INT_PTR CDialog::DoModal() {
    sim::Desktop::Impl* impl = CurrentImpl();
    return impl != nullptr ? impl->RunDialog(*this) : -1;
}

void CDialog::EndDialog(int result) {
    WindowSlot* w = SlotOf(m_hWnd);
    if (w != nullptr && w->dialog != nullptr) {
        w->dialog->ended = true;
        w->dialog->result = result;
    }
}

void CDialog::CheckDlgButton(int id, UINT check) {
    if (sim::ControlState* c = ControlOf(m_hWnd, id); c != nullptr && IsButton(*c)) {
        c->checked = check != BST_UNCHECKED;
    }
}

UINT CDialog::IsDlgButtonChecked(int id) const {
    const sim::ControlState* c = ControlOf(m_hWnd, id);
    return c != nullptr && c->checked ? BST_CHECKED : BST_UNCHECKED;
}

void CDialog::CheckRadioButton(int firstId, int lastId, int checkId) {
    WindowSlot* w = SlotOf(m_hWnd);
    if (w == nullptr || w->dialog == nullptr) {
        return;
    }
    for (sim::ControlState& c : w->dialog->controls) {
        const int id = c.control->id;
        if (id >= firstId && id <= lastId && IsButton(c)) {
            c.checked = id == checkId;
        }
    }
}

int CDialog::GetCheckedRadioButton(int firstId, int lastId) const {
    const WindowSlot* w = SlotOf(m_hWnd);
    if (w == nullptr || w->dialog == nullptr) {
        return 0;
    }
    int found = 0;
    for (const sim::ControlState& c : w->dialog->controls) {
        const int id = c.control->id;
        if (id >= firstId && id <= lastId && c.checked && (found == 0 || id < found)) {
            found = id;
        }
    }
    return found;
}

// --- Menus ---------------------------------------------------------------------------------------

CMenu::~CMenu() {
    // An attached menu is destroyed with its wrapper, even one a window still shows.
    sim::Desktop::Impl* impl = CurrentImpl();
    std::uint32_t index = 0;
    if (sim::MenuSlot* m = impl != nullptr ? impl->menus.Find(m_hMenu, index) : nullptr) {
        m->items.clear();
        impl->menus.Remove(index);
        ++impl->windowChanges;
    }
}

BOOL CMenu::Attach(HMENU menu) {
    if (m_hMenu != nullptr || menu == nullptr) {
        return FALSE;
    }
    m_hMenu = menu;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU menu = m_hMenu;
    m_hMenu = nullptr;
    return menu;
}

UINT CMenu::CheckMenuItem(UINT idItem, UINT check) {
    sim::MenuItemInfo* item = MenuItem(m_hMenu, idItem);
    if (item == nullptr) {
        return static_cast<UINT>(-1);
    }
    const UINT previous = item->checked ? MF_CHECKED : MF_UNCHECKED;
    item->checked = (check & MF_CHECKED) != 0;
    ++CurrentImpl()->windowChanges;
    return previous;
}

UINT CMenu::GetMenuState(UINT idItem, UINT) const {
    const sim::MenuItemInfo* item = MenuItem(m_hMenu, idItem);
    if (item == nullptr) {
        return static_cast<UINT>(-1);
    }
    return (item->checked ? MF_CHECKED : 0) | (item->grayed ? MF_GRAYED : 0);
}

// --- The application -----------------------------------------------------------------------------

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName != nullptr ? appName : "shinkei") {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) {
        g_app = nullptr;
    }
}

int CWinApp::Run() {
    sim::Desktop::Impl* impl = CurrentImpl();
    if (impl == nullptr) {
        return -1;
    }
    // Nobody sits at a simulated desktop: once nothing is scheduled, nothing will ever happen,
    // and the loop gives up rather than wait forever.
    for (;;) {
        const auto step = impl->RunPending();
        if (impl->quit) {
            return impl->quitCode;
        }
        const std::uint64_t next = impl->NextTimerDue();
        if (step != sim::Desktop::Impl::Step::Idle || next > sim::kEndOfTime) {
            return -1;
        }
        impl->now = std::max(impl->now, next);
    }
}

HICON CWinApp::LoadIcon(UINT resourceId) const {
    if (!sim::detail::ProgramResources().HasIcon(resourceId)) {
        return nullptr;
    }
    return sim::MakeHandle<HICON>(sim::Tag::Icon, resourceId, 0);
}

HCURSOR CWinApp::LoadStandardCursor(int cursorId) const {
    return sim::MakeHandle<HCURSOR>(sim::Tag::Cursor, static_cast<std::uint32_t>(cursorId), 0);
}

BOOL CWinApp::Enable3dControls() {
    return TRUE;
}

void CWinApp::SetDialogBkColor(COLORREF, COLORREF) {}

CWinApp* AfxGetApp() {
    return g_app;
}

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    sim::Desktop::Impl* impl = CurrentImpl();
    return impl != nullptr ? impl->RegisterClass(classStyle, cursor, background, icon) : "";
}

std::string AfxLoadString(UINT id) {
    const std::string* text =
        sim::detail::ProgramResources().FindString(id, afx::detail::ApplicationLanguage());
    return text != nullptr ? *text : std::string();
}

// The string with its first "%1" replaced: where that stands was found once, with the table. One
// string, named, is returned on every path, so that it is built in place.
std::string AfxFormatString1(UINT id, std::string_view argument) {
    std::string text;
    const sim::detail::StringEntry* entry =
        sim::detail::ProgramResources().FindStringEntry(id, afx::detail::ApplicationLanguage());
    if (entry == nullptr) {
        return text;
    }
    const std::string& pattern = entry->text;
    if (entry->argumentAt == std::string::npos) {
        text = pattern;
        return text;
    }
    text.reserve(pattern.size() - 2 + argument.size());
    text.append(pattern, 0, entry->argumentAt)
        .append(argument)
        .append(pattern, entry->argumentAt + 2);
    return text;
}
