#include "framework/web/json.h"

#include <cstdint>

#include "framework/sim/handle_table.h"
#include "json_text.h"

namespace web {
namespace {

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

const char* KindName(sim::ControlTemplate::Kind kind) {
    using Kind = sim::ControlTemplate::Kind;
    switch (kind) {
        case Kind::PushButton:
            return "button";
        case Kind::DefPushButton:
            return "default-button";
        case Kind::CheckBox:
        case Kind::AutoCheckBox:
            return "checkbox";
        case Kind::RadioButton:
        case Kind::AutoRadioButton:
            return "radio";
        case Kind::Text:
            return "text";
        case Kind::GroupBox:
            return "groupbox";
        case Kind::Icon:
            return "icon";
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

}  // namespace

std::string WindowsJson(const sim::Desktop& desktop) {
    Writer w;
    const HWND main = desktop.MainWindow();
    w.Open('[');
    for (const sim::WindowInfo& info : desktop.Windows()) {
        if (info.className == "#32770") {
            continue;  // dialogs are shown as modals
        }
        w.Open('{');
        w.Key("id").Number(static_cast<long long>(reinterpret_cast<std::uintptr_t>(info.hwnd)));
        // The main window, also while it is being made (before the application names it).
        const bool isMain = info.hwnd == main || (info.owner == nullptr && info.menuId != 0);
        w.Key("main").Bool(isMain).Key("caption").String(info.caption);
        w.Key("style").Number(info.style).Key("rect").Rect(info.windowRect);
        w.Key("client").Rect(info.clientRect);
        w.Key("visible").Bool(info.visible).Key("enabled").Bool(info.enabled);
        w.Key("icon").Number(IconId(info.classIcon));
        w.Key("menu");
        MenuItems(w, desktop.Menu(info.hwnd));
        w.Close('}');
    }
    w.Close(']');
    return w.Take();
}

std::string ModalJson(const sim::Modal& modal, int serial) {
    Writer w;
    w.Open('{').Key("serial").Number(serial);
    w.Key("caption").String(modal.caption);
    if (modal.kind == sim::Modal::Kind::MessageBox) {
        w.Key("kind").String("box").Key("type").Number(modal.type).Key("text").String(modal.text);
        return w.Close('}').Take();
    }
    w.Key("kind").String("dialog").Key("template").Number(modal.templateId);
    if (const sim::DialogTemplate* t = sim::Desktop::FindDialogTemplate(modal.templateId)) {
        w.Key("style").Number(t->style).Key("rect").Rect(t->rect);
        w.Key("fontSize").Number(t->fontSize).Key("fontFace").String(t->fontFace);
        w.Key("controls").Open('[');
        for (const sim::ControlTemplate& c : t->controls) {
            w.Open('{').Key("kind").String(KindName(c.kind)).Key("keyword").String(c.keyword);
            w.Key("id").Number(c.id).Key("text").String(c.text);
            w.Key("className").String(c.className).Key("style").Number(c.style);
            w.Key("exStyle").Number(c.exStyle).Key("rect").Rect(c.rect);
            w.Key("group").Bool(c.group).Key("disabled").Bool(c.disabled);
            w.Close('}');
        }
        w.Close(']');
    }
    w.Key("state");
    const std::string state = DialogState(modal);
    std::string json = w.Take();
    return json + state + "}";
}

std::string DialogState(const sim::Modal& modal) {
    Writer w;
    w.Open('[');
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
    w.Close(']');
    return w.Take();
}

}  // namespace web
