// The score window's paint: one line per participant, name and cards taken, the line of the
// participant whose turn it is on a yellow ground.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "game/cards.h"
#include "game/score_frame.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kNavy = RGB(0, 0, 100);
constexpr COLORREF kHumanHighlight = RGB(255, 255, 0);
constexpr COLORREF kComputerHighlight = RGB(255, 255, 50);
constexpr int kLineTop = 2;
constexpr int kNameX = 2;
constexpr int kCountX = 98;

// "  ８枚", "１０枚": two blanks stand in for a missing tens digit. Nobody takes more than the
// whole board, so the texts are made once, for every count there can be.
std::string_view CountText(int cards) {
    static const std::array<std::string, kCellCount + 1> kTexts = [] {
        std::array<std::string, kCellCount + 1> texts;
        for (int n = 0; n <= kCellCount; ++n) {
            std::string& text = texts[static_cast<std::size_t>(n)];
            text = n >= 10 ? FullwidthDigit(n / 10) : "  ";
            text += FullwidthDigit(n % 10);
            text += "枚";
        }
        return texts;
    }();
    return kTexts[static_cast<std::size_t>(std::clamp(cards, 0, kCellCount))];
}

void TextOut(CPaintDC& dc, int x, int y, std::string_view text) {
    dc.TextOut(x, y, text.data(), static_cast<int>(text.size()));
}

void Line(CPaintDC& dc, int line, COLORREF ground, std::string_view name, int cards) {
    const int y = kLineTop + kScoreLineHeight * line;
    dc.SetBkColor(ground);
    TextOut(dc, kNameX, y, name);
    TextOut(dc, kCountX, y, CountText(cards));
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
        Line(dc, n - 1, ground, HumanDisplayName(n), humanCards[n - 1]);
    }
    int position = 0;
    for (int bit : ComputerBits) {
        if ((computerSet & bit) == 0) {
            continue;
        }
        const COLORREF ground = current == bit ? kComputerHighlight : kWhite;
        Line(dc, humans + position, ground, ComputerName(bit), computerCards[position]);
        ++position;
    }

    pen.DeleteObject();
    brush.DeleteObject();
}
