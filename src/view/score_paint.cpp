// The score window's paint: one line per participant, name and cards taken, the line of the
// participant whose turn it is on a yellow ground.
#include <algorithm>
#include <string>
#include <string_view>

#include "game/cards.h"
#include "game/score_frame.h"
#include "resource.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kNavy = RGB(0, 0, 100);
constexpr COLORREF kHumanHighlight = RGB(255, 255, 0);
constexpr COLORREF kComputerHighlight = RGB(255, 255, 50);
constexpr int kNameX = 2;
constexpr int kCountX = 98;

// "  ８枚", "１０枚": blanks as wide as a digit stand in for a missing tens digit, so that the
// counts line up. Nobody takes more than the whole board.
std::string CountText(int cards) {
    const int n = std::clamp(cards, 0, kCellCount);
    std::string number = n >= 10 ? ScoreDigit(n / 10) : AfxLoadString(IDS_SCORE_NO_TENS);
    number += ScoreDigit(n % 10);
    return AfxFormatString1(IDS_SCORE_CARDS, number);
}

void TextOut(CPaintDC& dc, int x, int y, std::string_view text) {
    dc.TextOut(x, y, text.data(), static_cast<int>(text.size()));
}

void Line(CPaintDC& dc, int line, COLORREF ground, std::string_view name, int cards) {
    const int y = kScoreLineTop + kScoreLineHeight * line;
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
