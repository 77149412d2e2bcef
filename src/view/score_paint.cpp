// The score window's paint: one line per participant, name and cards taken, the line of the
// participant whose turn it is on a yellow ground.
#include <cstring>
#include <string>
#include <string_view>

#include "game/score_frame.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kNavy = RGB(0, 0, 100);
constexpr COLORREF kHumanHighlight = RGB(255, 255, 0);
constexpr COLORREF kComputerHighlight = RGB(255, 255, 50);
constexpr int kLineTop = 2;
constexpr int kLineHeight = 24;
constexpr int kNameX = 2;
constexpr int kCountX = 98;

// Appends the UTF-8 of a full-width digit; the count is built in place, with no allocation.
char* PutFullwidthDigit(char* out, int digit) {
    const unsigned code = 0xFF10u + static_cast<unsigned>(digit);
    *out++ = static_cast<char>(0xE0 | (code >> 12));
    *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
    return out;
}

// "  ８枚", "１０枚": two blanks stand in for a missing tens digit. Returns the length.
int CountText(int cards, char (&text)[16]) {
    char* out = text;
    if (cards >= 10) {
        out = PutFullwidthDigit(out, cards / 10);
    } else {
        *out++ = ' ';
        *out++ = ' ';
    }
    out = PutFullwidthDigit(out, cards % 10);
    constexpr char kSheets[] = "枚";
    for (const char c : std::string_view(kSheets)) {
        *out++ = c;
    }
    return static_cast<int>(out - text);
}

void Line(CPaintDC& dc, int line, COLORREF ground, const char* name, std::size_t nameLength,
          int cards) {
    const int y = kLineTop + kLineHeight * line;
    dc.SetBkColor(ground);
    dc.TextOut(kNameX, y, name, static_cast<int>(nameLength));
    char count[16];
    dc.TextOut(kCountX, y, count, CountText(cards, count));
}

}  // namespace

void ScoreFrame::OnPaint() {
    CRect client;
    GetClientRect(&client);
    CPaintDC dc(this);

    CBrush brush;
    brush.CreateSolidBrush(kWhite);
    CPen pen;
    pen.CreatePen(PS_SOLID, 1, kWhite);
    CBrush* oldBrush = dc.SelectObject(&brush);
    CPen* oldPen = dc.SelectObject(&pen);
    dc.Rectangle(client.left, client.top, client.right, client.bottom);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);

    dc.SetTextColor(kNavy);
    const PlayerCode current = order[turn];
    for (int n = 1; n <= humans; ++n) {
        const COLORREF ground = current == (kHumanBit | n) ? kHumanHighlight : kWhite;
        const std::string name = HumanDisplayName(n);
        Line(dc, n - 1, ground, name.c_str(), name.size(), humanCards[n - 1]);
    }
    int position = 0;
    for (int bit : ComputerBits) {
        if ((computerSet & bit) == 0) {
            continue;
        }
        const COLORREF ground = current == bit ? kComputerHighlight : kWhite;
        const char* name = ComputerName(bit);
        Line(dc, humans + position, ground, name, std::strlen(name), computerCards[position]);
        ++position;
    }

    pen.DeleteObject();
    brush.DeleteObject();
}
