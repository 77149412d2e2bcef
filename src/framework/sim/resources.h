// The resource script read the way the resource compiler reads it, far enough for what the
// simulated desktop needs: ids and texts from #define lines, menus, dialog templates and string
// tables in the languages the script gives them, bitmaps and icons.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/sim/resource_types.h"

namespace sim::detail {

struct MenuTemplate {
    UINT id = 0;
    LANGID language = 0;
    std::vector<MenuItemInfo> items;
};

struct StringEntry {
    UINT id = 0;
    LANGID language = 0;
    std::string text;
    std::size_t argumentAt = std::string::npos;  // where the first "%1" stands, if any
};

// One language's strings by id: the index of each in ResourceSet::strings, or -1.
struct StringTable {
    LANGID language = 0;
    std::vector<int> byId;
};

struct ResourceSet {
    std::vector<MenuTemplate> menus;
    std::vector<DialogTemplate> dialogs;
    std::vector<StringEntry> strings;
    // Where FindString looks: each language's table, and the script's first of each id. The
    // program loads its strings on every paint of the score window, so a look-up is two indexings.
    std::vector<StringTable> stringTables;
    std::vector<int> firstStringById;
    std::vector<UINT> bitmaps;             // in script order
    std::vector<std::string> bitmapFiles;  // the file of each, as the script names it
    std::vector<UINT> icons;

    // In the language asked for; else the script's first of that id, as for a program that
    // asks for none (language 0).
    const MenuTemplate* FindMenu(UINT id, LANGID language = 0) const;
    const DialogTemplate* FindDialog(UINT id, LANGID language = 0) const;
    const std::string* FindString(UINT id, LANGID language = 0) const;
    const StringEntry* FindStringEntry(UINT id, LANGID language = 0) const;
    bool HasIcon(UINT id) const;
};

// Parses a script; `header` holds the #define lines of the headers the script includes.
ResourceSet ParseResources(std::string_view script, std::string_view header);

// The program's own script, parsed once.
const ResourceSet& ProgramResources();

}  // namespace sim::detail
