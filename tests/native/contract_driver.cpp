// The contract cases' driver on the simulated desktop: virtual time, answers by the responder.
#include <deque>

#include "contract.h"
#include "framework/sim/desktop.h"

namespace contract {
namespace {

class SimDriver : public Driver {
  public:
    SimDriver() {
        desktop_.SetResponder([this](const sim::Modal& modal) {
            if (answers_.empty()) {
                return modal.kind == sim::Modal::Kind::Dialog ? IDCANCEL : IDOK;
            }
            const ModalAnswer answer = answers_.front();
            answers_.pop_front();
            if (answer.whileOpen) {
                answer.whileOpen();
            }
            for (int id : answer.clicks) {
                modal.ClickRadioButton(id);  // whichever kind of button it is; the other does
                modal.ClickCheckBox(id);     // nothing
            }
            desktop_.Advance(answer.afterMs);
            return answer.button;
        });
    }
    void PostClick(CWnd& window, int x, int y) override {
        desktop_.QueueClick(window.m_hWnd, x, y);
    }
    void PostKey(CWnd& window, UINT virtualKey) override {
        desktop_.QueueKey(window.m_hWnd, virtualKey);
    }
    void PostCommand(CWnd& window, UINT id) override {
        desktop_.Post(window.m_hWnd, WM_COMMAND, id, 0);
    }
    void RunUntilIdle() override { desktop_.RunPending(); }
    void Busy(UINT ms) override { desktop_.Busy(ms); }
    void Wait(UINT ms) override { desktop_.Advance(ms); }
    std::uint64_t NowMs() override { return desktop_.Now(); }
    UINT ToleranceMs() override { return 0; }
    void AnswerNextModal(ModalAnswer answer) override { answers_.push_back(std::move(answer)); }
    std::optional<int> QuitCode() override {
        return desktop_.Quit() ? std::optional<int>(desktop_.QuitCode()) : std::nullopt;
    }
    COLORREF ScreenColor(CWnd& window, int x, int y) override {
        return desktop_.ScreenColor(window.m_hWnd, x, y);
    }
    bool ObjectAlive(const void* handle) override { return desktop_.ObjectAlive(handle); }

  private:
    sim::Desktop desktop_;
    std::deque<ModalAnswer> answers_;
};

}  // namespace

std::unique_ptr<Driver> MakeDriver() {
    return std::make_unique<SimDriver>();
}

}  // namespace contract
