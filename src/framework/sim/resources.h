// The resource script read the way the resource compiler reads it, far enough for what the
// simulated desktop needs: ids from #define lines, menus, dialog templates, bitmaps and icons.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/sim/desktop.h"

namespace sim::detail {

struct MenuTemplate {
    UINT id = 0;
    std::vector<MenuItemInfo> items;
};

struct ResourceSet {
    std::vector<MenuTemplate> menus;
    std::vector<DialogTemplate> dialogs;
    std::vector<UINT> bitmaps;             // in script order
    std::vector<std::string> bitmapFiles;  // the file of each, as the script names it
    std::vector<UINT> icons;

    const MenuTemplate* FindMenu(UINT id) const;
    const DialogTemplate* FindDialog(UINT id) const;
    bool HasIcon(UINT id) const;
};

// Parses a script; `header` holds the #define lines the script includes.
ResourceSet ParseResources(std::string_view script, std::string_view header);

// The program's own script, parsed once.
const ResourceSet& ProgramResources();

}  // namespace sim::detail
