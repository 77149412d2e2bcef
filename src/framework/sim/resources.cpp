#include "framework/sim/resources.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <unordered_map>

namespace sim {
extern const char* const kResourceScript;
extern const char* const kResourceHeader;
}  // namespace sim

namespace sim::detail {
namespace {

// Names the script may use without defining them: the window-system headers' values.
const std::unordered_map<std::string, long long>& BuiltinNames() {
    static const std::unordered_map<std::string, long long> names = {
        {"IDOK", 1},
        {"IDCANCEL", 2},
        {"IDABORT", 3},
        {"IDRETRY", 4},
        {"IDIGNORE", 5},
        {"IDYES", 6},
        {"IDNO", 7},
        {"IDC_STATIC", -1},
        {"WS_OVERLAPPED", 0},
        {"WS_POPUP", 0x80000000LL},
        {"WS_CHILD", 0x40000000},
        {"WS_MINIMIZE", 0x20000000},
        {"WS_VISIBLE", 0x10000000},
        {"WS_DISABLED", 0x08000000},
        {"WS_CLIPSIBLINGS", 0x04000000},
        {"WS_CLIPCHILDREN", 0x02000000},
        {"WS_MAXIMIZE", 0x01000000},
        {"WS_CAPTION", 0x00C00000},
        {"WS_BORDER", 0x00800000},
        {"WS_DLGFRAME", 0x00400000},
        {"WS_VSCROLL", 0x00200000},
        {"WS_HSCROLL", 0x00100000},
        {"WS_SYSMENU", 0x00080000},
        {"WS_THICKFRAME", 0x00040000},
        {"WS_GROUP", 0x00020000},
        {"WS_TABSTOP", 0x00010000},
        {"WS_MINIMIZEBOX", 0x00020000},
        {"WS_MAXIMIZEBOX", 0x00010000},
        {"WS_EX_DLGMODALFRAME", 0x00000001},
        {"WS_EX_TOPMOST", 0x00000008},
        {"WS_EX_CLIENTEDGE", 0x00000200},
        {"WS_EX_STATICEDGE", 0x00020000},
        {"DS_SYSMODAL", 0x02},
        {"DS_3DLOOK", 0x04},
        {"DS_SETFONT", 0x40},
        {"DS_MODALFRAME", 0x80},
        {"DS_CENTER", 0x0800},
        {"SS_LEFT", 0x00},
        {"SS_CENTER", 0x01},
        {"SS_RIGHT", 0x02},
        {"SS_ICON", 0x03},
        {"SS_GRAYFRAME", 0x08},
        {"SS_BITMAP", 0x0E},
        {"SS_NOTIFY", 0x0100},
        {"SS_CENTERIMAGE", 0x0200},
        {"SS_SUNKEN", 0x1000},
        {"BS_PUSHBUTTON", 0x00},
        {"BS_DEFPUSHBUTTON", 0x01},
        {"BS_CHECKBOX", 0x02},
        {"BS_AUTOCHECKBOX", 0x03},
        {"BS_RADIOBUTTON", 0x04},
        {"BS_3STATE", 0x05},
        {"BS_AUTO3STATE", 0x06},
        {"BS_GROUPBOX", 0x07},
        {"BS_AUTORADIOBUTTON", 0x09},
    };
    return names;
}

struct Token {
    enum class Type { End, Name, Number, String, Punct };
    Type type = Type::End;
    std::string text;  // a name, the string's contents, or the punctuation character
    long long number = 0;
};

class Lexer {
  public:
    Lexer(std::string_view text, std::unordered_map<std::string, long long>& defines)
        : text_(text), defines_(defines) {}

    const Token& Peek() {
        if (!peeked_) {
            next_ = Read();
            peeked_ = true;
        }
        return next_;
    }
    Token Next() {
        Peek();
        peeked_ = false;
        return std::move(next_);
    }
    bool NextIs(const char* punct) {
        const Token& t = Peek();
        return t.type == Token::Type::Punct && t.text == punct;
    }
    bool NextIsName(std::string_view name) {
        const Token& t = Peek();
        return t.type == Token::Type::Name && t.text == name;
    }
    bool AtBlockStart() { return NextIsName("BEGIN") || NextIs("{"); }
    bool AtBlockEnd() { return NextIsName("END") || NextIs("}"); }

    long long Lookup(const std::string& name) const {
        if (auto it = defines_.find(name); it != defines_.end()) {
            return it->second;
        }
        const auto& builtins = BuiltinNames();
        if (auto it = builtins.find(name); it != builtins.end()) {
            return it->second;
        }
        return 0;
    }

  private:
    bool AtLineStart(std::size_t pos) const {
        while (pos > 0) {
            const char c = text_[pos - 1];
            if (c == '\n') {
                return true;
            }
            if (c != ' ' && c != '\t' && c != '\r') {
                return false;
            }
            --pos;
        }
        return true;
    }

    std::string_view RestOfLine() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != '\n') {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

    void Directive() {
        std::string_view line = RestOfLine();
        line.remove_prefix(1);  // '#'
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            line.remove_prefix(1);
        }
        if (line.substr(0, 6) != "define") {
            return;
        }
        Lexer inner(line.substr(6), defines_);
        Token name = inner.Next();
        if (name.type != Token::Type::Name) {
            return;
        }
        if (inner.Peek().type == Token::Type::End) {
            defines_[name.text] = 0;
            return;
        }
        long long value = 0;
        long long sign = 1;
        for (;;) {
            Token t = inner.Next();
            if (t.type == Token::Type::End) {
                break;
            }
            if (t.type == Token::Type::Punct && t.text == "-") {
                sign = -sign;
            } else if (t.type == Token::Type::Number) {
                value |= t.number;
            } else if (t.type == Token::Type::Name) {
                value |= inner.Lookup(t.text);
            }
        }
        defines_[name.text] = sign * value;
    }

    Token Read() {
        for (;;) {
            while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
                ++pos_;
            }
            if (pos_ >= text_.size()) {
                return {};
            }
            if (text_.compare(pos_, 2, "//") == 0) {
                RestOfLine();
                continue;
            }
            if (text_.compare(pos_, 2, "/*") == 0) {
                const std::size_t end = text_.find("*/", pos_ + 2);
                pos_ = end == std::string_view::npos ? text_.size() : end + 2;
                continue;
            }
            if (text_[pos_] == '#' && AtLineStart(pos_)) {
                Directive();
                continue;
            }
            break;
        }
        const char c = text_[pos_];
        Token t;
        if (c == '"' || (c == 'L' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '"')) {
            pos_ += c == 'L' ? 2 : 1;
            t.type = Token::Type::String;
            while (pos_ < text_.size()) {
                const char d = text_[pos_++];
                if (d == '"') {
                    if (pos_ < text_.size() && text_[pos_] == '"') {
                        t.text += '"';
                        ++pos_;
                        continue;
                    }
                    break;
                }
                if (d == '\\' && pos_ < text_.size()) {
                    const char e = text_[pos_];
                    const char* escapes = "nt\\\"a";
                    const char* values = "\n\t\\\"\a";
                    if (const char* hit = std::strchr(escapes, e); hit != nullptr && e != 0) {
                        t.text += values[hit - escapes];
                        ++pos_;
                        continue;
                    }
                }
                t.text += d;
            }
            return t;
        }
        if (std::isdigit(static_cast<unsigned char>(c))) {
            std::size_t end = pos_;
            while (end < text_.size() && std::isalnum(static_cast<unsigned char>(text_[end]))) {
                ++end;
            }
            std::string digits(text_.substr(pos_, end - pos_));
            pos_ = end;
            while (!digits.empty() && (digits.back() == 'L' || digits.back() == 'l' ||
                                       digits.back() == 'U' || digits.back() == 'u')) {
                digits.pop_back();
            }
            t.type = Token::Type::Number;
            t.text = digits;
            t.number = static_cast<long long>(std::stoull(digits, nullptr, 0));
            return t;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t end = pos_;
            while (end < text_.size() &&
                   (std::isalnum(static_cast<unsigned char>(text_[end])) || text_[end] == '_')) {
                ++end;
            }
            t.type = Token::Type::Name;
            t.text = std::string(text_.substr(pos_, end - pos_));
            pos_ = end;
            return t;
        }
        t.type = Token::Type::Punct;
        t.text = std::string(1, c);
        ++pos_;
        return t;
    }

    std::string_view text_;
    std::unordered_map<std::string, long long>& defines_;
    std::size_t pos_ = 0;
    Token next_;
    bool peeked_ = false;
};

// One comma-separated field of a statement: a string or a numeric expression.
struct Field {
    bool isString = false;
    std::string text;
    long long value = 0;
    long long cleared = 0;  // bits named with NOT
};

class Parser {
  public:
    Parser(std::string_view script, std::unordered_map<std::string, long long>& defines)
        : lex_(script, defines) {}

    ResourceSet Parse() {
        ResourceSet set;
        while (lex_.Peek().type != Token::Type::End) {
            Token first = lex_.Next();
            if (first.type == Token::Type::Name && first.text == "LANGUAGE") {
                Fields();
                continue;
            }
            if (first.type == Token::Type::Name && first.text == "STRINGTABLE") {
                SkipResource();
                continue;
            }
            if (first.type == Token::Type::Punct) {
                continue;
            }
            const long long id = first.type == Token::Type::Number ? first.number
                                 : first.type == Token::Type::Name ? lex_.Lookup(first.text)
                                                                   : 0;
            const Token& type = lex_.Peek();
            if (type.type != Token::Type::Name) {
                continue;
            }
            const Token typeToken = lex_.Next();
            const std::string_view kind = typeToken.text;
            const UINT resourceId = static_cast<UINT>(id);
            if (kind == "MENU") {
                MenuTemplate menu{resourceId, {}};
                SkipOptionsToBlock();
                if (lex_.AtBlockStart()) {
                    lex_.Next();
                    MenuItems(menu.items);
                }
                set.menus.push_back(std::move(menu));
            } else if (kind == "DIALOG" || kind == "DIALOGEX") {
                set.dialogs.push_back(Dialog(resourceId));
            } else if (kind == "BITMAP") {
                SkipOptionsToBlock();
                set.bitmapFiles.push_back(lex_.Peek().type == Token::Type::String ? lex_.Peek().text
                                                                                  : std::string());
                SkipResource();
                set.bitmaps.push_back(resourceId);
            } else if (kind == "ICON") {
                SkipResource();
                set.icons.push_back(resourceId);
            } else {
                SkipResource();
            }
        }
        return set;
    }

  private:
    // Load and memory options between a resource's type and its data.
    void SkipOptionsToBlock() {
        while (lex_.Peek().type == Token::Type::Name && !lex_.AtBlockStart()) {
            lex_.Next();
        }
    }

    void SkipBlock() {
        int depth = 1;
        while (depth > 0 && lex_.Peek().type != Token::Type::End) {
            if (lex_.AtBlockStart()) {
                ++depth;
            } else if (lex_.AtBlockEnd()) {
                --depth;
            }
            lex_.Next();
        }
    }

    // An unknown resource ends with its file name or with its block.
    void SkipResource() {
        while (lex_.Peek().type != Token::Type::End) {
            if (lex_.AtBlockStart()) {
                lex_.Next();
                SkipBlock();
                return;
            }
            if (lex_.Next().type == Token::Type::String) {
                return;
            }
        }
    }

    long long Term(long long& cleared) {
        Token t = lex_.Next();
        if (t.type == Token::Type::Number) {
            return t.number;
        }
        if (t.type == Token::Type::Name) {
            if (t.text == "NOT") {
                long long ignored = 0;
                cleared |= Term(ignored);
                return 0;
            }
            return lex_.Lookup(t.text);
        }
        if (t.type == Token::Type::Punct) {
            if (t.text == "-") {
                return -Term(cleared);
            }
            if (t.text == "~") {
                return ~Term(cleared);
            }
            if (t.text == "(") {
                const long long v = Expression(cleared);
                if (lex_.NextIs(")")) {
                    lex_.Next();
                }
                return v;
            }
        }
        return 0;
    }

    long long Expression(long long& cleared) {
        long long value = Term(cleared);
        while (lex_.NextIs("|") || lex_.NextIs("+")) {
            const bool plus = lex_.Next().text == "+";
            const long long rhs = Term(cleared);
            value = plus ? value + rhs : (value | rhs);
        }
        return value;
    }

    Field OneField() {
        Field f;
        if (lex_.Peek().type == Token::Type::String) {
            f.isString = true;
            f.text = lex_.Next().text;
            return f;
        }
        const Token& t = lex_.Peek();
        if (t.type == Token::Type::Number || t.type == Token::Type::Name) {
            f.text = t.text;
        }
        f.value = Expression(f.cleared);
        return f;
    }

    std::vector<Field> Fields() {
        std::vector<Field> fields;
        fields.push_back(OneField());
        while (lex_.NextIs(",")) {
            lex_.Next();
            fields.push_back(OneField());
        }
        return fields;
    }

    void MenuItems(std::vector<MenuItemInfo>& items) {
        static const char* const kOptions[] = {"CHECKED",      "GRAYED",    "INACTIVE",
                                               "MENUBARBREAK", "MENUBREAK", "HELP"};
        while (lex_.Peek().type != Token::Type::End) {
            if (lex_.AtBlockEnd()) {
                lex_.Next();
                return;
            }
            Token keyword = lex_.Next();
            if (keyword.type != Token::Type::Name) {
                continue;
            }
            MenuItemInfo item;
            if (keyword.text == "MENUITEM" && lex_.NextIsName("SEPARATOR")) {
                lex_.Next();
                item.separator = true;
                items.push_back(std::move(item));
                continue;
            }
            if (keyword.text != "MENUITEM" && keyword.text != "POPUP") {
                continue;
            }
            if (lex_.Peek().type == Token::Type::String) {
                item.label = lex_.Next().text;
            }
            if (keyword.text == "MENUITEM" && lex_.NextIs(",")) {
                lex_.Next();
                long long cleared = 0;
                item.id = static_cast<UINT>(Expression(cleared));
            }
            for (;;) {
                if (lex_.NextIs(",")) {
                    lex_.Next();
                    continue;
                }
                const Token& t = lex_.Peek();
                const bool option = t.type == Token::Type::Name &&
                                    std::any_of(std::begin(kOptions), std::end(kOptions),
                                                [&](const char* o) { return t.text == o; });
                if (!option) {
                    break;
                }
                const std::string name = lex_.Next().text;
                item.checked = item.checked || name == "CHECKED";
                item.grayed = item.grayed || name == "GRAYED";
            }
            if (keyword.text == "POPUP") {
                item.id = 0;
                if (lex_.AtBlockStart()) {
                    lex_.Next();
                    MenuItems(item.items);
                }
            }
            items.push_back(std::move(item));
        }
    }

    static long long FieldValue(const std::vector<Field>& f, std::size_t i) {
        return i < f.size() ? f[i].value : 0;
    }

    DialogTemplate Dialog(UINT id) {
        DialogTemplate dialog;
        dialog.id = id;
        SkipOptionsToBlock();
        std::vector<Field> box = Fields();
        dialog.rect =
            CRect{static_cast<int>(FieldValue(box, 0)), static_cast<int>(FieldValue(box, 1)),
                  static_cast<int>(FieldValue(box, 0) + FieldValue(box, 2)),
                  static_cast<int>(FieldValue(box, 1) + FieldValue(box, 3))};
        while (lex_.Peek().type == Token::Type::Name && !lex_.AtBlockStart()) {
            const std::string statement = lex_.Next().text;
            std::vector<Field> fields = Fields();
            if (statement == "STYLE") {
                dialog.style = static_cast<DWORD>(fields[0].value & ~fields[0].cleared);
            } else if (statement == "CAPTION") {
                dialog.caption = fields[0].text;
            }
        }
        if (!lex_.AtBlockStart()) {
            return dialog;
        }
        lex_.Next();
        while (lex_.Peek().type != Token::Type::End) {
            if (lex_.AtBlockEnd()) {
                lex_.Next();
                break;
            }
            Token keyword = lex_.Next();
            if (keyword.type != Token::Type::Name) {
                continue;
            }
            dialog.controls.push_back(Control(keyword.text, Fields()));
        }
        return dialog;
    }

    static ControlTemplate Control(const std::string& keyword, const std::vector<Field>& f) {
        using Kind = ControlTemplate::Kind;
        constexpr DWORD kGroup = 0x00020000;
        constexpr DWORD kTabStop = 0x00010000;
        constexpr DWORD kDisabled = 0x08000000;
        constexpr DWORD kBorder = 0x00800000;
        ControlTemplate c;
        std::size_t textIndex = 0;
        std::size_t idIndex = 1;
        std::size_t styleIndex = 6;
        DWORD defaults = 0;
        if (keyword == "CONTROL") {
            styleIndex = 3;
            c.className = f.size() > 2 ? f[2].text : std::string();
        } else if (keyword == "EDITTEXT" || keyword == "COMBOBOX" || keyword == "LISTBOX" ||
                   keyword == "SCROLLBAR") {
            idIndex = 0;
            styleIndex = 5;
            defaults = kTabStop | (keyword == "EDITTEXT" ? kBorder : 0);
        } else if (keyword == "ICON") {
            c.kind = Kind::Icon;
        } else if (keyword == "LTEXT" || keyword == "CTEXT" || keyword == "RTEXT") {
            c.kind = Kind::Text;
            defaults = kGroup;
        } else if (keyword == "GROUPBOX") {
            c.kind = Kind::GroupBox;
        } else if (keyword == "PUSHBUTTON" || keyword == "PUSHBOX") {
            c.kind = Kind::PushButton;
            defaults = kTabStop;
        } else if (keyword == "DEFPUSHBUTTON") {
            c.kind = Kind::DefPushButton;
            defaults = kTabStop;
        } else if (keyword == "CHECKBOX" || keyword == "STATE3") {
            c.kind = Kind::CheckBox;
            defaults = kTabStop;
        } else if (keyword == "AUTOCHECKBOX" || keyword == "AUTO3STATE") {
            c.kind = Kind::AutoCheckBox;
            defaults = kTabStop;
        } else if (keyword == "RADIOBUTTON") {
            c.kind = Kind::RadioButton;
        } else if (keyword == "AUTORADIOBUTTON") {
            c.kind = Kind::AutoRadioButton;
        }
        if (idIndex > 0 && !f.empty()) {
            c.text = f[textIndex].isString ? f[textIndex].text : std::to_string(f[textIndex].value);
        }
        c.id = static_cast<int>(FieldValue(f, idIndex));
        long long style = defaults;
        if (styleIndex < f.size()) {
            style = (style | f[styleIndex].value) & ~f[styleIndex].cleared;
        }
        c.style = static_cast<DWORD>(style);
        if (keyword == "CONTROL") {
            std::string cls = c.className;
            std::transform(cls.begin(), cls.end(), cls.begin(),
                           [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
            if (cls == "button") {
                static constexpr Kind kButtons[16] = {Kind::PushButton,   Kind::DefPushButton,
                                                      Kind::CheckBox,     Kind::AutoCheckBox,
                                                      Kind::RadioButton,  Kind::CheckBox,
                                                      Kind::AutoCheckBox, Kind::GroupBox,
                                                      Kind::Other,        Kind::AutoRadioButton,
                                                      Kind::Other,        Kind::Other,
                                                      Kind::Other,        Kind::Other,
                                                      Kind::Other,        Kind::Other};
                c.kind = kButtons[c.style & 0xF];
            } else if (cls == "static") {
                c.kind = (c.style & 0x1F) == 0x03 ? Kind::Icon : Kind::Text;
            }
        }
        c.group = (c.style & kGroup) != 0;
        c.disabled = (c.style & kDisabled) != 0;
        return c;
    }

    Lexer lex_;
};

}  // namespace

const MenuTemplate* ResourceSet::FindMenu(UINT id) const {
    for (const MenuTemplate& m : menus) {
        if (m.id == id) {
            return &m;
        }
    }
    return nullptr;
}

const DialogTemplate* ResourceSet::FindDialog(UINT id) const {
    for (const DialogTemplate& d : dialogs) {
        if (d.id == id) {
            return &d;
        }
    }
    return nullptr;
}

bool ResourceSet::HasIcon(UINT id) const {
    return std::find(icons.begin(), icons.end(), id) != icons.end();
}

ResourceSet ParseResources(std::string_view script, std::string_view header) {
    std::unordered_map<std::string, long long> defines;
    Lexer headerLexer(header, defines);
    while (headerLexer.Next().type != Token::Type::End) {
    }
    return Parser(script, defines).Parse();
}

const ResourceSet& ProgramResources() {
    static const ResourceSet set = ParseResources(kResourceScript, kResourceHeader);
    return set;
}

}  // namespace sim::detail
