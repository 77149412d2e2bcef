// The four computer players: who they are and how well they remember what they see.
#pragma once

#include <array>

#include "resource.h"

struct ComputerPersonality {
    int code;            // the player's bit, 0x01 to 0x08
    int memoryCapacity;  // cards it can hold in mind at once
    unsigned missOneIn;  // it overlooks one face drawn in this many; 0: it sees every face
    unsigned nameId;     // its name in the string table: the score window, the announcements
};

// In the one fixed order of the computer players.
inline constexpr std::array<ComputerPersonality, 4> kComputerPersonalities = {{
    {0x01, 20, 20, IDS_COMPUTER_01},
    {0x02, 3, 0, IDS_COMPUTER_02},
    {0x04, 5, 4, IDS_COMPUTER_04},
    {0x08, 10, 10, IDS_COMPUTER_08},
}};
