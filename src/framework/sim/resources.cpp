// The resource script read as far as res/shinkei.rc goes: #define lines, LANGUAGE statements,
// menus, dialog templates with the controls it uses, string tables, bitmaps and icons. Any other
// resource (the version information, the manifest) is skipped whole: up to its file name, or over
// its BEGIN ... END block.
#include "framework/sim/resources.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

namespace sim {
extern const char* const kResourceScript;
extern const char* const kResourceHeader;
}  // namespace sim

namespace sim::detail {
namespace {

// A #define: a number, or a text (such as the version) that a string may be made of.
struct Define {
    long long number = 0;
    std::optional<std::string> text;
};
using Defines = std::unordered_map<std::string, Define>;

// The window-system names the script uses without defining them, with their values: the
// framework's own where it has them.
constexpr std::array<std::pair<std::string_view, long long>, 23> kSystemNames = {{
    {"IDOK", IDOK},
    {"IDCANCEL", IDCANCEL},
    {"WS_POPUP", WS_POPUP},
    {"WS_VISIBLE", WS_VISIBLE},
    {"WS_DISABLED", WS_DISABLED},
    {"WS_CAPTION", WS_CAPTION},
    {"WS_BORDER", WS_BORDER},
    {"WS_SYSMENU", WS_SYSMENU},
    {"WS_GROUP", WS_GROUP},
    {"LANG_NEUTRAL", LANG_NEUTRAL},
    {"LANG_ENGLISH", LANG_ENGLISH},
    {"LANG_JAPANESE", LANG_JAPANESE},
    {"SUBLANG_NEUTRAL", SUBLANG_NEUTRAL},
    {"SUBLANG_DEFAULT", SUBLANG_DEFAULT},
    {"SUBLANG_ENGLISH_US", SUBLANG_ENGLISH_US},
    {"WS_EX_DLGMODALFRAME", 0x00000001},
    {"WS_EX_STATICEDGE", 0x00020000},
    {"DS_SYSMODAL", 0x02},
    {"DS_3DLOOK", 0x04},
    {"DS_MODALFRAME", 0x80},
    {"SS_GRAYFRAME", 0x08},
    {"SS_BITMAP", 0x0E},
    {"SS_SUNKEN", 0x1000},
}};

struct Token {
    enum class Type { End, Name, Number, String, Punct };
    Type type = Type::End;
    std::string text;  // a name, the string's contents, or the punctuation character
    long long number = 0;
};

class Lexer {
  public:
    Lexer(std::string_view text, Defines& defines) : text_(text), defines_(defines) {}

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
    bool NextIs(char punct) {
        const Token& t = Peek();
        return t.type == Token::Type::Punct && t.text[0] == punct;
    }
    bool NextIsName(std::string_view name) {
        const Token& t = Peek();
        return t.type == Token::Type::Name && t.text == name;
    }
    bool AtEnd() { return Peek().type == Token::Type::End; }

    long long Lookup(const std::string& name) const {
        if (auto it = defines_.find(name); it != defines_.end()) {
            return it->second.number;
        }
        for (const auto& [systemName, value] : kSystemNames) {
            if (systemName == name) {
                return value;
            }
        }
        return 0;
    }

    // The text of a name #defined as a string, or null.
    const std::string* LookupText(const std::string& name) const {
        const auto it = defines_.find(name);
        return it != defines_.end() && it->second.text ? &*it->second.text : nullptr;
    }

  private:
    std::string_view RestOfLine() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != '\n') {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

    // "#define NAME value" records the value; #include, #pragma and the like are passed over.
    void Directive() {
        std::string_view line = RestOfLine();
        constexpr std::string_view kDefine = "#define";
        if (line.substr(0, kDefine.size()) != kDefine) {
            return;
        }
        Lexer inner(line.substr(kDefine.size()), defines_);
        const Token name = inner.Next();
        const Token value = inner.Next();
        if (name.type == Token::Type::Name) {
            Define& define = defines_[name.text];
            define.number = value.type == Token::Type::Number ? value.number : 0;
            if (value.type == Token::Type::String) {
                define.text = value.text;
            }
        }
    }

    void SkipSpaceAndComments() {
        for (;;) {
            while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
                ++pos_;
            }
            if (text_.compare(pos_, 2, "//") == 0) {
                RestOfLine();
            } else if (pos_ < text_.size() && text_[pos_] == '#') {
                Directive();
            } else {
                return;
            }
        }
    }

    std::string QuotedText() {
        std::string text;
        ++pos_;  // the opening quote
        while (pos_ < text_.size()) {
            char c = text_[pos_++];
            if (c == '"') {
                break;
            }
            if (c == '\\' && pos_ < text_.size()) {
                const char escaped = text_[pos_++];
                c = escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
            }
            text += c;
        }
        return text;
    }

    std::string_view Word() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() &&
               (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_')) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

    Token Read() {
        SkipSpaceAndComments();
        Token t;
        if (pos_ >= text_.size()) {
            return t;
        }
        const char c = text_[pos_];
        if (c == '"') {
            t.type = Token::Type::String;
            t.text = QuotedText();
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            t.type = Token::Type::Number;
            t.text = Word();
            t.number = static_cast<long long>(std::stoull(t.text, nullptr, 0));
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            t.type = Token::Type::Name;
            t.text = Word();
        } else {
            t.type = Token::Type::Punct;
            t.text = std::string(1, c);
            ++pos_;
        }
        return t;
    }

    std::string_view text_;
    Defines& defines_;
    std::size_t pos_ = 0;
    Token next_;
    bool peeked_ = false;
};

// One comma-separated field of a statement: a string, or names and numbers joined by '|'.
struct Field {
    bool isString = false;
    std::string text;
    long long value = 0;
};

long long FieldValue(const std::vector<Field>& fields, std::size_t i) {
    return i < fields.size() ? fields[i].value : 0;
}

// The control statements the script uses: their kind and the styles they imply.
struct ControlKeyword {
    std::string_view keyword;
    ControlTemplate::Kind kind;
    DWORD defaultStyle;
};
constexpr DWORD kTabStop = 0x00010000;  // WS_TABSTOP: only the script speaks of it
constexpr std::array<ControlKeyword, 8> kControlKeywords = {{
    {"LTEXT", ControlTemplate::Kind::Text, WS_GROUP},
    {"CTEXT", ControlTemplate::Kind::Text, WS_GROUP},
    {"ICON", ControlTemplate::Kind::Icon, 0},
    {"GROUPBOX", ControlTemplate::Kind::GroupBox, 0},
    {"PUSHBUTTON", ControlTemplate::Kind::PushButton, kTabStop},
    {"DEFPUSHBUTTON", ControlTemplate::Kind::DefPushButton, kTabStop},
    {"AUTOCHECKBOX", ControlTemplate::Kind::AutoCheckBox, kTabStop},
    {"AUTORADIOBUTTON", ControlTemplate::Kind::AutoRadioButton, 0},
}};

class Parser {
  public:
    Parser(std::string_view script, Defines& defines) : lex_(script, defines) {}

    ResourceSet Parse() {
        ResourceSet set;
        while (!lex_.AtEnd()) {
            const Token name = lex_.Next();
            if (name.type != Token::Type::Name && name.type != Token::Type::Number) {
                continue;
            }
            // LANGUAGE primary, sublanguage: for every resource after it.
            if (name.text == "LANGUAGE") {
                const std::vector<Field> fields = Fields();
                language_ = MAKELANGID(static_cast<WORD>(FieldValue(fields, 0)),
                                       static_cast<WORD>(FieldValue(fields, 1)));
                continue;
            }
            // STRINGTABLE BEGIN id[,] "text" ... END
            if (name.text == "STRINGTABLE") {
                if (Begin()) {
                    while (!End()) {
                        const auto id = static_cast<UINT>(OneField().value);
                        if (lex_.NextIs(',')) {
                            lex_.Next();
                        }
                        set.strings.push_back({id, language_, OneField().text});
                    }
                }
                continue;
            }
            const auto id = static_cast<UINT>(
                name.type == Token::Type::Number ? name.number : lex_.Lookup(name.text));
            const Token kind = lex_.Next();
            if (kind.text == "MENU") {
                MenuTemplate menu{id, language_, {}};
                if (Begin()) {
                    MenuItems(menu.items);
                }
                set.menus.push_back(std::move(menu));
            } else if (kind.text == "DIALOG") {
                set.dialogs.push_back(Dialog(id));
            } else if (kind.text == "BITMAP") {
                set.bitmapFiles.push_back(lex_.Peek().type == Token::Type::String ? lex_.Peek().text
                                                                                  : std::string());
                SkipResource();
                set.bitmaps.push_back(id);
            } else {
                SkipResource();
                if (kind.text == "ICON") {
                    set.icons.push_back(id);
                }
            }
        }
        return set;
    }

  private:
    bool Begin() {
        if (!lex_.NextIsName("BEGIN")) {
            return false;
        }
        lex_.Next();
        return true;
    }
    // True at END (which it takes) or at the end of the script.
    bool End() {
        if (lex_.NextIsName("END")) {
            lex_.Next();
            return true;
        }
        return lex_.AtEnd();
    }

    // A resource read no further ends with its file name or with its block.
    void SkipResource() {
        while (!lex_.AtEnd()) {
            if (Begin()) {
                for (int depth = 1; depth > 0 && !lex_.AtEnd();) {
                    depth += lex_.NextIsName("BEGIN") ? 1 : lex_.NextIsName("END") ? -1 : 0;
                    lex_.Next();
                }
                return;
            }
            if (lex_.Next().type == Token::Type::String) {
                return;
            }
        }
    }

    long long Term() {
        const Token t = lex_.Next();
        if (t.type == Token::Type::Punct && t.text == "-") {
            return -Term();
        }
        return t.type == Token::Type::Number ? t.number
               : t.type == Token::Type::Name ? lex_.Lookup(t.text)
                                             : 0;
    }

    // A string, or a name #defined as one, and any more that follow it: one text.
    const std::string* StringPart() {
        const Token& t = lex_.Peek();
        if (t.type == Token::Type::String) {
            return &t.text;
        }
        return t.type == Token::Type::Name ? lex_.LookupText(t.text) : nullptr;
    }

    Field OneField() {
        Field f;
        if (StringPart() != nullptr) {
            f.isString = true;
            for (const std::string* part; (part = StringPart()) != nullptr; lex_.Next()) {
                f.text += *part;
            }
            return f;
        }
        f.text = lex_.Peek().text;  // a lone name, such as CHECKED, is also read by its name
        f.value = Term();
        while (lex_.NextIs('|') || lex_.NextIs('+')) {
            const bool plus = lex_.Next().text == "+";
            const long long term = Term();
            f.value = plus ? f.value + term : f.value | term;
        }
        return f;
    }

    std::vector<Field> Fields() {
        std::vector<Field> fields{OneField()};
        while (lex_.NextIs(',')) {
            lex_.Next();
            fields.push_back(OneField());
        }
        return fields;
    }

    // MENUITEM "label", id[, CHECKED][, GRAYED]; MENUITEM SEPARATOR; POPUP "label" BEGIN ... END.
    void MenuItems(std::vector<MenuItemInfo>& items) {
        while (!End()) {
            const Token keyword = lex_.Next();
            MenuItemInfo item;
            if (keyword.text == "MENUITEM" && lex_.NextIsName("SEPARATOR")) {
                lex_.Next();
                item.separator = true;
            } else if (keyword.text == "MENUITEM") {
                const std::vector<Field> fields = Fields();
                item.label = fields[0].text;
                item.id = static_cast<UINT>(FieldValue(fields, 1));
                for (std::size_t i = 2; i < fields.size(); ++i) {
                    item.checked = item.checked || fields[i].text == "CHECKED";
                    item.grayed = item.grayed || fields[i].text == "GRAYED";
                }
            } else if (keyword.text == "POPUP") {
                item.label = lex_.Next().text;
                if (Begin()) {
                    MenuItems(item.items);
                }
            } else {
                continue;
            }
            items.push_back(std::move(item));
        }
    }

    DialogTemplate Dialog(UINT id) {
        DialogTemplate dialog;
        dialog.id = id;
        dialog.language = language_;
        const std::vector<Field> box = Fields();
        dialog.rect =
            CRect{static_cast<int>(FieldValue(box, 0)), static_cast<int>(FieldValue(box, 1)),
                  static_cast<int>(FieldValue(box, 0) + FieldValue(box, 2)),
                  static_cast<int>(FieldValue(box, 1) + FieldValue(box, 3))};
        // STYLE, CAPTION and FONT, up to the controls.
        while (lex_.Peek().type == Token::Type::Name && !lex_.NextIsName("BEGIN")) {
            const std::string statement = lex_.Next().text;
            const std::vector<Field> fields = Fields();
            if (statement == "STYLE") {
                dialog.style = static_cast<DWORD>(fields[0].value);
            } else if (statement == "CAPTION") {
                dialog.caption = fields[0].text;
            } else if (statement == "FONT") {
                dialog.fontSize = static_cast<int>(FieldValue(fields, 0));
                dialog.fontFace = fields.size() > 1 ? fields[1].text : std::string();
            }
        }
        if (Begin()) {
            while (!End()) {
                const std::string keyword = lex_.Next().text;
                dialog.controls.push_back(Control(keyword, Fields()));
            }
        }
        return dialog;
    }

    // "LTEXT text, id, x, y, width, height[, style]", and the like; or
    // "CONTROL text, id, class, style, x, y, width, height[, extended style]" for a static.
    static ControlTemplate Control(const std::string& keyword, const std::vector<Field>& f) {
        ControlTemplate c;
        std::size_t styleIndex = 6;
        long long style = 0;
        if (keyword == "CONTROL") {
            styleIndex = 3;
            c.className = f.size() > 2 ? f[2].text : std::string();
        }
        for (const ControlKeyword& k : kControlKeywords) {
            if (k.keyword == keyword) {
                c.kind = k.kind;
                style = k.defaultStyle;
            }
        }
        c.keyword = keyword;
        c.text = f[0].isString ? f[0].text : std::to_string(f[0].value);
        c.id = static_cast<int>(FieldValue(f, 1));
        // The place follows the style for CONTROL, the id for the rest.
        const std::size_t at = keyword == "CONTROL" ? 4 : 2;
        const auto field = [&](std::size_t i) { return static_cast<int>(FieldValue(f, at + i)); };
        c.rect = CRect{field(0), field(1), field(0) + field(2), field(1) + field(3)};
        c.exStyle = static_cast<DWORD>(FieldValue(f, keyword == "CONTROL" ? 8 : 7));
        style |= FieldValue(f, styleIndex);
        c.style = static_cast<DWORD>(style);
        if (keyword == "CONTROL") {
            c.kind = (c.style & 0x1F) == 0x03 ? ControlTemplate::Kind::Icon
                                              : ControlTemplate::Kind::Text;
        }
        c.group = (c.style & WS_GROUP) != 0;
        c.disabled = (c.style & WS_DISABLED) != 0;
        return c;
    }

    Lexer lex_;
    LANGID language_ = 0;
};

}  // namespace

namespace {
template <class Resource>
const Resource* FindIn(const std::vector<Resource>& resources, UINT id, LANGID language) {
    const Resource* first = nullptr;
    for (const Resource& r : resources) {
        if (r.id == id && r.language == language) {
            return &r;
        }
        if (r.id == id && first == nullptr) {
            first = &r;
        }
    }
    return first;
}
}  // namespace

const MenuTemplate* ResourceSet::FindMenu(UINT id, LANGID language) const {
    return FindIn(menus, id, language);
}

const DialogTemplate* ResourceSet::FindDialog(UINT id, LANGID language) const {
    return FindIn(dialogs, id, language);
}

namespace {
int IndexOf(const std::vector<int>& byId, UINT id) {
    return id < byId.size() ? byId[id] : -1;
}

// Records entry `index` under its id in `byId`, unless an earlier one is there.
void Enter(std::vector<int>& byId, UINT id, int index) {
    if (byId.size() <= id) {
        byId.resize(std::size_t{id} + 1, -1);
    }
    if (byId[id] < 0) {
        byId[id] = index;
    }
}
}  // namespace

const StringEntry* ResourceSet::FindStringEntry(UINT id, LANGID language) const {
    int index = -1;
    for (const StringTable& table : stringTables) {
        if (table.language == language) {
            index = IndexOf(table.byId, id);
            break;
        }
    }
    if (index < 0) {
        index = IndexOf(firstStringById, id);
    }
    return index >= 0 ? &strings[static_cast<std::size_t>(index)] : nullptr;
}

const std::string* ResourceSet::FindString(UINT id, LANGID language) const {
    const StringEntry* entry = FindStringEntry(id, language);
    return entry != nullptr ? &entry->text : nullptr;
}

bool ResourceSet::HasIcon(UINT id) const {
    return std::find(icons.begin(), icons.end(), id) != icons.end();
}

ResourceSet ParseResources(std::string_view script, std::string_view header) {
    Defines defines;
    Lexer headerLexer(header, defines);
    while (!headerLexer.AtEnd()) {
        headerLexer.Next();
    }
    ResourceSet set = Parser(script, defines).Parse();
    for (std::size_t i = 0; i < set.strings.size(); ++i) {
        StringEntry& entry = set.strings[i];
        entry.argumentAt = entry.text.find("%1");
        auto table =
            std::find_if(set.stringTables.begin(), set.stringTables.end(),
                         [&](const StringTable& t) { return t.language == entry.language; });
        if (table == set.stringTables.end()) {
            table = set.stringTables.insert(table, StringTable{entry.language, {}});
        }
        Enter(table->byId, entry.id, static_cast<int>(i));
        Enter(set.firstStringById, entry.id, static_cast<int>(i));
    }
    return set;
}

const ResourceSet& ProgramResources() {
    static const ResourceSet set = ParseResources(kResourceScript, kResourceHeader);
    return set;
}

}  // namespace sim::detail
