// The score window's paint: one line per participant, name and cards taken, the line of the
// participant whose turn it is on a yellow ground.
#include <algorithm>
#include <array>
#include <string_view>

#include "game/score_frame.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kNavy = RGB(0, 0, 100);
constexpr COLORREF kHumanHighlight = RGB(255, 255, 0);
constexpr COLORREF kComputerHighlight = RGB(255, 255, 50);
constexpr int kLineTop = 2;
constexpr int kNameX = 2;
constexpr int kCountX = 98;

// A few bytes of text joined on the stack: the score window repaints after every pair.
class ShortText {
  public:
    ShortText& operator+=(std::string_view part) {
        const std::size_t n = std::min(part.size(), bytes_.size() - length_);
        std::copy_n(part.begin(), n, bytes_.begin() + static_cast<std::ptrdiff_t>(length_));
        length_ += n;
        return *this;
    }
    operator std::string_view() const { return {bytes_.data(), length_}; }

  private:
    std::array<char, 16> bytes_{};
    std::size_t length_ = 0;
};

// "  ８枚", "１０枚": two blanks stand in for a missing tens digit.
ShortText CountText(int cards) {
    ShortText text;
    text += cards >= 10 ? FullwidthDigit(cards / 10) : "  ";
    text += FullwidthDigit(cards % 10);
    text += "枚";
    return text;
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
