// The four computer players: who they are and how well they remember what they see.
#pragma once

#include <array>
#include <string_view>

struct ComputerPersonality {
    int code;               // the player's bit, 0x01 to 0x08
    int memoryCapacity;     // cards it can hold in mind at once
    unsigned missOneIn;     // it overlooks one face drawn in this many; 0: it sees every face
    std::string_view name;  // in the score window and the announcements
};

// In the one fixed order of the computer players.
inline constexpr std::array<ComputerPersonality, 4> kComputerPersonalities = {{
    {0x01, 20, 20, "ﾎﾟﾛﾈｺ"},
    {0x02, 3, 0, "作者"},
    {0x04, 5, 4, "超能力者"},
    {0x08, 10, 10, "謎の男"},
}};
