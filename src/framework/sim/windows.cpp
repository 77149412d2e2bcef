// The simulated desktop's windows: creation and destruction, owners, visibility, window rects and
// the update regions that invalidation builds.
#include <algorithm>

#include "framework/sim/desktop_impl.h"

namespace sim {
namespace {
constexpr const char* kDefaultFrameClass = "FrameWindow";
}  // namespace

Insets NonClient(DWORD style, DWORD exStyle, bool menu) {
    int frame = 0;
    if ((style & WS_THICKFRAME) != 0) {
        frame = 4;
    } else if ((style & WS_DLGFRAME) != 0 || (exStyle & 0x1) != 0) {
        frame = 3;
    } else if ((style & WS_BORDER) != 0) {
        frame = 1;
    }
    const int caption = (style & WS_CAPTION) == WS_CAPTION ? 19 : 0;
    return {frame, frame + caption + (menu ? 19 : 0), frame, frame};
}

MenuItemInfo* FindMenuItem(std::vector<MenuItemInfo>& items, UINT id) {
    if (id == 0) {
        return nullptr;  // popups and separators carry no command
    }
    for (MenuItemInfo& item : items) {
        if (!item.separator && item.items.empty() && item.id == id) {
            return &item;
        }
        if (MenuItemInfo* inner = FindMenuItem(item.items, id)) {
            return inner;
        }
    }
    return nullptr;
}

void UpdateRegion::Add(const CRect& added) {
    CRect r = added;
    for (const CRect& e : rects) {
        if (Contains(e, r)) {
            return;
        }
    }
    rects.erase_if([&](const CRect& e) { return Contains(r, e); });
    if (rects.size() == RectList::kCapacity) {
        // Too many pieces: the region becomes their bounding box.
        CRect box = r;
        for (const CRect& e : rects) {
            box = CRect{std::min(box.left, e.left), std::min(box.top, e.top),
                        std::max(box.right, e.right), std::max(box.bottom, e.bottom)};
        }
        rects.clear();
        r = box;
    }
    rects.push_back(r);
}

Desktop::Impl::Impl(Desktop& desktop) : self(desktop) {
    draws.emplace_back();
}

const WindowSlot* Desktop::Impl::Find(HWND hwnd) const {
    return const_cast<Impl*>(this)->Find(hwnd);
}

HWND Desktop::Impl::Handle(std::uint32_t index) const {
    return windows.HandleAs<HWND>(index);
}

const WindowClass* Desktop::Impl::FindClass(const char* name) const {
    if (name == nullptr) {
        return nullptr;
    }
    for (const auto& c : classes) {
        if (c->name == name) {
            return c.get();
        }
    }
    return nullptr;
}

const char* Desktop::Impl::RegisterClass(UINT style, HCURSOR cursor, HBRUSH background,
                                         HICON icon) {
    for (const auto& c : classes) {
        if (c->style == style && c->cursor == cursor && c->background == background &&
            c->icon == icon) {
            return c->name.c_str();
        }
    }
    auto c = std::make_unique<WindowClass>();
    c->name = "SimClass:" + std::to_string(classes.size() + 1);
    c->style = style;
    c->cursor = cursor;
    c->background = background;
    c->icon = icon;
    classes.push_back(std::move(c));
    return classes.back()->name.c_str();
}

HWND Desktop::Impl::Create(CWnd* object, const char* className, const char* caption, DWORD style,
                           DWORD exStyle, const CRect& windowRect, HWND owner, UINT menuId) {
    if (refuseWindows) {
        return nullptr;
    }
    const std::uint32_t index = windows.Add();
    WindowSlot& w = windows[index];
    w.destroying = false;
    w.region.Clear();
    w.paints = 0;
    w.menu = nullptr;
    w.handlersFound = false;
    w.dialog.reset();
    w.layers.clear();
    w.raster.clear();
    w.rasterWidth = w.rasterHeight = 0;

    const WindowClass* cls = FindClass(className);
    w.erases = cls == nullptr || cls->background != nullptr;
    w.info = WindowInfo{};
    w.info.hwnd = Handle(index);
    w.info.object = object;
    w.info.owner = Find(owner) != nullptr ? owner : nullptr;
    w.info.className = className != nullptr ? className : kDefaultFrameClass;
    w.info.caption = caption != nullptr ? caption : "";
    w.info.style = style & ~(WS_VISIBLE | WS_DISABLED);
    w.info.exStyle = exStyle;
    w.info.enabled = true;
    w.info.menuId = menuId;
    w.info.classIcon = cls != nullptr ? cls->icon : nullptr;
    if ((style & WS_DISABLED) != 0) {
        SetEnabled(w, false);
    }

    if (const detail::MenuTemplate* menu =
            detail::ProgramResources().FindMenu(menuId, afx::detail::ApplicationLanguage());
        menu != nullptr && menuId != 0) {
        const std::uint32_t m = menus.Add();
        menus[m].items = menu->items;
        w.menu = menus.HandleAs<HMENU>(m);
    }
    SetWindowRect(w, windowRect);
    order.push_back(index);

    const HWND hwnd = w.info.hwnd;
    object->m_hWnd = hwnd;
    if (Send(w, WM_CREATE, 0, 0) == -1) {
        Destroy(hwnd);
        return nullptr;
    }
    if ((style & WS_VISIBLE) != 0 && Find(hwnd) != nullptr) {
        SetVisible(w, true);
    }
    return Find(hwnd) != nullptr ? hwnd : nullptr;
}

bool Desktop::Impl::Destroy(HWND hwnd) {
    WindowSlot* w = Find(hwnd);
    if (w == nullptr || w->destroying) {
        return false;
    }
    w->destroying = true;
    // Owned windows go first, as Windows does.
    std::vector<HWND> owned;
    for (std::uint32_t i : order) {
        if (windows[i].info.owner == hwnd) {
            owned.push_back(Handle(i));
        }
    }
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
        Destroy(*it);
    }
    SetVisible(*w, false);
    Send(*w, WM_DESTROY, 0, 0);

    std::erase_if(timers, [&](const Timer& t) { return t.window == hwnd; });
    posted.RemoveWindow(hwnd);
    input.RemoveWindow(hwnd);
    std::uint32_t menuIndex = 0;
    if (MenuSlot* m = menus.Find(w->menu, menuIndex)) {
        m->items.clear();
        menus.Remove(menuIndex);
    }
    w->menu = nullptr;
    Validate(*w);
    w->dialog.reset();
    std::uint32_t index = 0;
    windows.Find(hwnd, index);
    windows.Remove(index);
    std::erase(order, index);
    ++windowChanges;

    CWnd* object = w->info.object;
    w->info.object = nullptr;
    object->m_hWnd = nullptr;
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == object) {
        app->m_pMainWnd = nullptr;
        PostQuit(0);
    }
    object->PostNcDestroy();
    return true;
}

void Desktop::Impl::SetVisible(WindowSlot& w, bool visible) {
    if (w.info.visible == visible) {
        return;
    }
    w.info.visible = visible;
    ++windowChanges;
    if (visible) {
        Invalidate(w, nullptr, true);
    } else {
        Validate(w);
    }
}

void Desktop::Impl::SetEnabled(WindowSlot& w, bool enabled) {
    windowChanges += w.info.enabled != enabled ? 1 : 0;
    w.info.enabled = enabled;
}

void Desktop::Impl::SetWindowRect(WindowSlot& w, const CRect& rect) {
    w.info.windowRect = rect;
    ++windowChanges;
    const Insets in = NonClient(w.info.style, w.info.exStyle, w.menu != nullptr);
    const long long width = static_cast<long long>(rect.right) - rect.left - in.left - in.right;
    const long long height = static_cast<long long>(rect.bottom) - rect.top - in.top - in.bottom;
    w.info.clientRect =
        CRect{0, 0, ClampToInt(std::max(0LL, width)), ClampToInt(std::max(0LL, height))};
}

void Desktop::Impl::Invalidate(WindowSlot& w, const CRect* rect, bool erase) {
    if (!w.info.visible) {
        return;  // a hidden window is repainted whole when shown
    }
    const CRect r = rect != nullptr ? Intersect(*rect, w.info.clientRect) : w.info.clientRect;
    if (IsEmpty(r)) {
        return;
    }
    if (w.region.Empty()) {
        ++dirtyWindows;
    }
    w.region.Add(r);
    w.region.erase = w.region.erase || erase;
}

void Desktop::Impl::Validate(WindowSlot& w) {
    if (!w.region.Empty()) {
        --dirtyWindows;
    }
    w.region.Clear();
}

}  // namespace sim
