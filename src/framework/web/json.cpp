#include "framework/web/json.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "framework/sim/bitmaps.h"
#include "framework/sim/handle_table.h"
#include "json_text.h"

namespace web {
namespace {

// Static control styles the page shows differently.
constexpr DWORD kStaticGrayFrame = 0x08;     // SS_GRAYFRAME
constexpr DWORD kStaticBitmap = 0x0E;        // SS_BITMAP
constexpr DWORD kStaticSunken = 0x1000;      // SS_SUNKEN
constexpr DWORD kExStaticEdge = 0x00020000;  // WS_EX_STATICEDGE
constexpr int kIconSize = 32;                // SM_CXICON, SM_CYICON

// A JSON object or array written in order; texts are UTF-8 and pass through unchanged.
class Writer {
  public:
    Writer& Open(char bracket) {
        Separate();
        out_ += bracket;
        first_ = true;
        return *this;
    }
    Writer& Close(char bracket) {
        out_ += bracket;
        first_ = false;
        return *this;
    }
    Writer& Key(const char* key) {
        Separate();
        Quote(key);
        out_ += ':';
        first_ = true;  // the value follows without a comma
        return *this;
    }
    Writer& Number(long long value) {
        Separate();
        out_ += std::to_string(value);
        return *this;
    }
    Writer& Bool(bool value) {
        Separate();
        out_ += value ? "true" : "false";
        return *this;
    }
    Writer& String(const std::string& text) {
        Separate();
        Quote(text);
        return *this;
    }
    Writer& Rect(const CRect& r) {
        Open('[').Number(r.left).Number(r.top).Number(r.right).Number(r.bottom);
        return Close(']');
    }
    // A place in pixels: [x, y, width, height].
    Writer& Place(int x, int y, int width, int height) {
        Open('[').Number(x).Number(y).Number(width).Number(height);
        return Close(']');
    }
    std::string Take() { return std::move(out_); }

  private:
    void Separate() {
        if (!first_) {
            out_ += ',';
        }
        first_ = false;
    }
    void Quote(const std::string& text) { AppendJsonString(out_, text); }

    std::string out_;
    bool first_ = true;
};

void MenuItems(Writer& w, const std::vector<sim::MenuItemInfo>& items) {
    w.Open('[');
    for (const sim::MenuItemInfo& item : items) {
        w.Open('{').Key("id").Number(item.id).Key("label").String(item.label);
        w.Key("checked").Bool(item.checked).Key("grayed").Bool(item.grayed);
        w.Key("separator").Bool(item.separator);
        if (!item.items.empty()) {
            w.Key("items");
            MenuItems(w, item.items);
        }
        w.Close('}');
    }
    w.Close(']');
}

// The page's kinds of dialog control; buttons, check boxes and radio buttons, whether automatic
// or not, look alike.
const char* KindName(const sim::ControlTemplate& c) {
    using Kind = sim::ControlTemplate::Kind;
    switch (c.kind) {
        case Kind::PushButton:
        case Kind::DefPushButton:
            return "button";
        case Kind::CheckBox:
        case Kind::AutoCheckBox:
            return "checkbox";
        case Kind::RadioButton:
        case Kind::AutoRadioButton:
            return "radio";
        case Kind::GroupBox:
            return "groupbox";
        case Kind::Icon:
            return "icon";
        case Kind::Text:
            if (c.className == "Static" && (c.style & 0x1F) == kStaticBitmap) {
                return "bitmap";
            }
            return c.className == "Static" && (c.style & 0x1F) == kStaticGrayFrame ? "frame"
                                                                                   : "text";
        case Kind::Other:
            break;
    }
    return "other";
}

// The resource id an icon handle of the simulated desktop names.
long long IconId(HICON icon) {
    const auto v = reinterpret_cast<std::uintptr_t>(icon);
    return icon != nullptr && sim::TagOf(v) == sim::Tag::Icon ? sim::SlotIndex(v) : 0;
}

// Dialog units to pixels, rounded as the page's layout always was: halves up.
int Pixels(int units, int baseUnit, int perCharacter) {
    return static_cast<int>(std::floor(static_cast<double>(units) * baseUnit / perCharacter + 0.5));
}

const char* IconName(UINT type) {
    switch (type & 0xF0) {
        case 0x10:
            return "error";
        case 0x20:
            return "question";
        case MB_ICONEXCLAMATION:
            return "warning";
        case MB_ICONINFORMATION:
            return "information";
        default:
            return "";
    }
}

void BoxJson(Writer& w, const sim::Modal& modal) {
    w.Key("kind").String("box").Key("type").Number(modal.type).Key("text").String(modal.text);
    w.Key("icon").String(IconName(modal.type)).Key("buttons").Open('[');
    for (const sim::BoxButton& button : sim::BoxButtons(modal.type)) {
        w.Open('{').Key("id").Number(button.id).Key("text").String(button.text);
        w.Key("default").Bool(button.isDefault).Close('}');
    }
    w.Close(']').Key("cancel").Number(sim::BoxCancelButton(modal.type));
}

void ControlJson(Writer& w, const sim::ControlTemplate& c, sim::BaseUnits units, int lineHeight) {
    const char* kind = KindName(c);
    const bool sunken = (c.style & kStaticSunken) != 0 || (c.exStyle & kExStaticEdge) != 0;
    int width = Pixels(c.rect.Width(), units.x, 4);
    int height = Pixels(c.rect.Height(), units.y, 8);
    int image = 0;
    if (c.kind == sim::ControlTemplate::Kind::Icon) {
        image = std::atoi(c.text.c_str());
        width = height = kIconSize;  // an icon control takes its icon's size
    } else if (std::string_view(kind) == "bitmap") {
        // A bitmap control takes its bitmap's size, and its edge around it.
        image = std::atoi(c.text.c_str());
        const sim::BitmapImage& bitmap = sim::ProgramBitmap(static_cast<UINT>(image));
        width = bitmap.width + (sunken ? 2 : 0);
        height = bitmap.height + (sunken ? 2 : 0);
    }
    w.Open('{').Key("id").Number(c.id).Key("kind").String(kind).Key("text").String(c.text);
    w.Key("rect").Place(Pixels(c.rect.left, units.x, 4), Pixels(c.rect.top, units.y, 8), width,
                        height);
    w.Key("default").Bool(c.kind == sim::ControlTemplate::Kind::DefPushButton);
    w.Key("center").Bool(c.keyword == "CTEXT").Key("sunken").Bool(sunken);
    // Taller than a line and given no breaks of its own: the text wraps at the control's width.
    w.Key("wrap").Bool(c.text.find('\n') == std::string::npos && 2 * height > 3 * lineHeight);
    w.Key("image").Number(image).Key("enabled").Bool(!c.disabled);
    w.Close('}');
}

void DialogJson(Writer& w, const sim::Modal& modal) {
    // Escape and the close box send a dialog IDCANCEL, whatever buttons it has, as Windows does.
    w.Key("kind").String("dialog").Key("template").Number(modal.templateId);
    w.Key("cancel").Number(IDCANCEL);
    const sim::DialogTemplate* t = sim::Desktop::FindDialogTemplate(modal.templateId);
    if (t == nullptr) {
        return;
    }
    const sim::BaseUnits units = sim::DialogBaseUnits(*t);
    w.Key("rect").Place(Pixels(t->rect.left, units.x, 4), Pixels(t->rect.top, units.y, 8),
                        Pixels(t->rect.Width(), units.x, 4), Pixels(t->rect.Height(), units.y, 8));
    w.Key("frame").Number(GetSystemMetrics(SM_CXFIXEDFRAME));
    w.Key("captionHeight").Number(GetSystemMetrics(SM_CYCAPTION) - 1);
    w.Key("font").Open('{').Key("face").String(t->fontFace);
    w.Key("pixels").Number(t->fontSize * 4 / 3).Close('}');
    w.Key("controls").Open('[');
    for (const sim::ControlTemplate& c : t->controls) {
        ControlJson(w, c, units, units.y);
    }
    w.Close(']');
}

}  // namespace

std::string WindowsJson(const sim::Desktop& desktop, const WindowNamer& name) {
    Writer w;
    const HWND main = desktop.MainWindow();
    w.Open('[');
    for (const sim::WindowInfo& info : desktop.Windows()) {
        if (info.className == "#32770") {
            continue;  // dialogs are shown as modals
        }
        // The main window, also while it is being made (before the application names it).
        const bool isMain = info.hwnd == main || (info.owner == nullptr && info.menuId != 0);
        const CRect& r = info.windowRect;
        const int frame = (r.Width() - info.clientRect.Width()) / 2;
        w.Open('{');
        w.Key("id").Number(static_cast<long long>(reinterpret_cast<std::uintptr_t>(info.hwnd)));
        w.Key("name").String(name ? name(info, isMain) : "");
        w.Key("main").Bool(isMain).Key("caption").String(info.caption);
        w.Key("rect").Rect(r).Key("client").Rect(info.clientRect);
        w.Key("frame").Number(frame);
        w.Key("clientTop").Number(r.Height() - info.clientRect.Height() - frame);
        w.Key("captionHeight").Number(GetSystemMetrics(SM_CYCAPTION) - 1);
        w.Key("menuTop").Number(info.menuId != 0 ? frame + GetSystemMetrics(SM_CYCAPTION) - 1 : 0);
        w.Key("closable").Bool((info.style & WS_SYSMENU) != 0);
        w.Key("visible").Bool(info.visible).Key("enabled").Bool(info.enabled);
        w.Key("icon").Number(IconId(info.classIcon));
        w.Key("menu");
        MenuItems(w, desktop.Menu(info.hwnd));
        w.Close('}');
    }
    w.Close(']');
    return w.Take();
}

std::string AccessJson(const sim::Desktop& desktop, const sim::AccessRecord& news) {
    Writer w;
    const sim::WindowInfo* info = desktop.Window(news.window);
    if (info == nullptr || info->object == nullptr) {
        return "null";
    }
    const CWnd& window = *info->object;
    w.Open('{');
    w.Key("id").Number(static_cast<long long>(reinterpret_cast<std::uintptr_t>(news.window)));
    const char* event = news.event == EVENT_OBJECT_FOCUS               ? "focus"
                        : news.event == EVENT_OBJECT_NAMECHANGE        ? "name"
                        : news.event == EVENT_OBJECT_LIVEREGIONCHANGED ? "said"
                                                                       : "reorder";
    w.Key("event").String(event).Key("child").Number(news.child);
    if (news.event == EVENT_OBJECT_LIVEREGIONCHANGED) {
        w.Key("said").String(news.name);
    }
    w.Key("columns").Number(window.GetAccessibleColumnCount());
    w.Key("focus").Number(window.GetAccessibleFocus());
    w.Key("cells").Open('[');
    const LONG count = window.GetAccessibleChildCount();
    for (LONG child = 1; child <= count; ++child) {
        w.Open('{').Key("name").String(window.GetAccessibleName(child));
        w.Key("rect").Rect(window.GetAccessibleLocation(child)).Close('}');
    }
    w.Close(']');
    return w.Close('}').Take();
}

std::string ModalJson(const sim::Modal& modal, int serial) {
    Writer w;
    w.Open('{').Key("serial").Number(serial).Key("caption").String(modal.caption);
    if (modal.kind == sim::Modal::Kind::MessageBox) {
        BoxJson(w, modal);
        return w.Close('}').Take();
    }
    DialogJson(w, modal);
    w.Key("state");
    return w.Take() + DialogState(modal) + "}";
}

std::string DialogState(const sim::Modal& modal) {
    Writer w;
    w.Open('[');
    if (modal.kind == sim::Modal::Kind::Dialog) {
        if (const sim::DialogTemplate* t = sim::Desktop::FindDialogTemplate(modal.templateId)) {
            for (const sim::ControlTemplate& c : t->controls) {
                if (c.id == -1) {
                    continue;
                }
                w.Open('{').Key("id").Number(c.id);
                w.Key("checked").Bool(modal.ButtonState(c.id) == BST_CHECKED);
                w.Key("enabled").Bool(modal.ControlEnabled(c.id));
                w.Close('}');
            }
        }
    }
    w.Close(']');
    return w.Take();
}

}  // namespace web
