// What the resource script declares, as the simulated desktop keeps it: menus and dialog
// templates, each in the language the script gave it.
#pragma once

#include <string>
#include <vector>

#include "framework/afxwin.h"

namespace sim {

struct MenuItemInfo {
    UINT id = 0;  // 0 for a separator or a popup
    std::string label;
    bool checked = false;
    bool grayed = false;
    bool separator = false;
    std::vector<MenuItemInfo> items;  // a popup's items
};

// A dialog template as the resource script declares it.
struct ControlTemplate {
    enum class Kind {
        PushButton,
        DefPushButton,
        CheckBox,
        AutoCheckBox,
        RadioButton,
        AutoRadioButton,
        Text,
        GroupBox,
        Icon,
        Other
    };
    Kind kind = Kind::Other;
    int id = 0;
    std::string text;       // for an ICON or a CONTROL naming a resource by id: the id in decimal
    std::string className;  // CONTROL only
    std::string keyword;    // the statement: LTEXT, CTEXT, CONTROL, ...
    CRect rect;             // dialog units
    DWORD style = 0;        // with the keyword's default bits
    DWORD exStyle = 0;
    bool group = false;     // WS_GROUP: starts a group
    bool disabled = false;  // WS_DISABLED
};

struct DialogTemplate {
    UINT id = 0;
    LANGID language = 0;
    std::string caption;
    DWORD style = 0;
    CRect rect;        // dialog units
    int fontSize = 0;  // points
    std::string fontFace;
    std::vector<ControlTemplate> controls;
};

}  // namespace sim
