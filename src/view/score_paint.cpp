// The score window's paint: one line per participant, name and cards taken, the line of the
// participant whose turn it is on a yellow ground.
#include <string>

#include "game/score_frame.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kNavy = RGB(0, 0, 100);
constexpr COLORREF kHumanHighlight = RGB(255, 255, 0);
constexpr COLORREF kComputerHighlight = RGB(255, 255, 50);
constexpr int kLineTop = 2;
constexpr int kNameX = 2;
constexpr int kCountX = 98;

// "  ８枚", "１０枚": two blanks stand in for a missing tens digit.
std::string CountText(int cards) {
    std::string text = cards >= 10 ? FullwidthDigit(cards / 10) : std::string("  ");
    return text + FullwidthDigit(cards % 10) + "枚";
}

void Line(CPaintDC& dc, int line, COLORREF ground, const std::string& name, int cards) {
    const int y = kLineTop + kScoreLineHeight * line;
    dc.SetBkColor(ground);
    dc.TextOut(kNameX, y, name.c_str(), static_cast<int>(name.size()));
    const std::string count = CountText(cards);
    dc.TextOut(kCountX, y, count.c_str(), static_cast<int>(count.size()));
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
