// Starts the real program on a simulated desktop and plays it as a user would.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "ai/computer_player.h"
#include "app/board_frame.h"
#include "app/game_app.h"
#include "framework/sim/desktop.h"
#include "game/cards.h"
#include "game/score_frame.h"
#include "resource.h"

struct Cell {
    int column = 0;
    int row = 0;
    bool operator==(const Cell&) const = default;
};

class Game {
  public:
    // The program reads the calendar clock once, to seed its generator.
    explicit Game(std::time_t calendarSeconds = 1000, const char* commandLine = "") {
        desktop.SetCalendarTime(calendarSeconds);
        app = std::make_unique<GameApp>();
        desktop.Start(*app, SW_SHOWNORMAL, commandLine);
    }

    sim::Desktop desktop;
    std::unique_ptr<GameApp> app;

    BoardFrame& frame() const { return *static_cast<BoardFrame*>(app->m_pMainWnd); }
    ScoreFrame& score() const { return *frame().scoreFrame; }
    Board& board() const { return *frame().board; }
    HWND boardWindow() const { return frame().m_hWnd; }
    HWND scoreWindow() const { return score().m_hWnd; }

    static CPoint Centre(Cell cell) {
        const CRect r = CardRect(cell.column, cell.row);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Click(Cell cell) {
        const CPoint p = Centre(cell);
        desktop.Click(boardWindow(), p.x, p.y);
    }
    void Key(UINT virtualKey) { desktop.Key(boardWindow(), virtualKey); }
    int Rank(Cell cell) const { return RankOf(board().At(cell.column, cell.row)); }
    Cell Find(CardCode card) const {
        for (Cell cell : Occupied()) {
            if (board().At(cell.column, cell.row) == card) {
                return cell;
            }
        }
        return {-1, -1};
    }

    std::vector<Cell> Occupied() const {
        std::vector<Cell> cells;
        for (int c = 0; c < kColumns; ++c) {
            for (int r = 0; r < kRows; ++r) {
                if (board().At(c, r) != 0) {
                    cells.push_back({c, r});
                }
            }
        }
        return cells;
    }
    // Two cards of equal rank, if any remain.
    std::optional<std::pair<Cell, Cell>> AnyPair() const {
        const auto cells = Occupied();
        for (std::size_t i = 0; i < cells.size(); ++i) {
            for (std::size_t j = i + 1; j < cells.size(); ++j) {
                if (Rank(cells[i]) == Rank(cells[j])) {
                    return std::pair{cells[i], cells[j]};
                }
            }
        }
        return std::nullopt;
    }
    // Two cards of different rank, if any remain.
    std::optional<std::pair<Cell, Cell>> AnyMiss() const {
        const auto cells = Occupied();
        for (std::size_t i = 1; i < cells.size(); ++i) {
            if (Rank(cells[0]) != Rank(cells[i])) {
                return std::pair{cells[0], cells[i]};
            }
        }
        return std::nullopt;
    }
    // A human turns both cards and the turn is resolved 1500 ms later.
    void Turn(std::pair<Cell, Cell> cards) {
        Click(cards.first);
        Click(cards.second);
        desktop.Advance(kResolveDelayMs);
    }

    // Answers the settings command as a user would: Yes, then the dialog filled in, then OK.
    // Other boxes get their default button.
    void ChangeSettings(int humans, int computerBits) {
        desktop.SetResponder([humans, computerBits](const sim::Modal& modal) {
            if (modal.kind == sim::Modal::Kind::Dialog) {
                FillSettings(modal, humans, computerBits);
                return IDOK;
            }
            return (modal.type & 0x0F) == MB_YESNO ? IDYES : IDOK;
        });
        desktop.ChooseMenu(boardWindow(), ID_GAME_SETTINGS);
        desktop.SetResponder(nullptr);
    }

    static void FillSettings(const sim::Modal& modal, int humans, int computerBits) {
        modal.ClickRadioButton(humans == 0 ? IDC_HUMANS_NONE : IDC_HUMANS_1 - 1 + humans);
        const int boxes[4] = {IDC_COMPUTER_01, IDC_COMPUTER_02, IDC_COMPUTER_04, IDC_COMPUTER_08};
        for (int i = 0; i < 4; ++i) {
            const bool wanted = (computerBits & (1 << i)) != 0;
            if (wanted != (modal.ButtonState(boxes[i]) == BST_CHECKED)) {
                modal.ClickCheckBox(boxes[i]);
            }
        }
    }

    std::vector<std::string> SoundNames() const {
        std::vector<std::string> names;
        for (const auto& s : desktop.Sounds()) {
            names.push_back(s.name);
        }
        return names;
    }
};
