// The simulated desktop's modal loops: message boxes and dialogs run a nested loop, answered by
// the responder a test or script supplies; and the dialog controls as a user works them.
#include "framework/sim/desktop_impl.h"

namespace sim {
namespace {
constexpr const char* kDialogClass = "#32770";

// The buttons of each kind of box (the type's low four bits), the default first.
constexpr int kBoxButtonIds[6][3] = {
    {IDOK},                   // MB_OK
    {IDOK, IDCANCEL},         // MB_OKCANCEL
    {3, 4, 5},                // abort, retry, ignore
    {IDYES, IDNO, IDCANCEL},  // yes, no, cancel
    {IDYES, IDNO},            // MB_YESNO
    {4, IDCANCEL},            // retry, cancel
};

int DefaultAnswer(UINT type) {
    return kBoxButtonIds[(type & 0xF) < 6 ? type & 0xF : 0][0];
}

// The buttons' texts as the system words them, by id (1 to 7), in Japanese and in English.
constexpr const char* kJapaneseButtons[8] = {"",           "OK",       "キャンセル", "中止(&A)",
                                             "再試行(&R)", "無視(&I)", "はい(&Y)",   "いいえ(&N)"};
constexpr const char* kEnglishButtons[8] = {"",       "OK",      "Cancel", "&Abort",
                                            "&Retry", "&Ignore", "&Yes",   "&No"};

}  // namespace

std::vector<BoxButton> BoxButtons(UINT type) {
    const bool english = (afx::detail::ApplicationLanguage() & 0x3FF) == LANG_ENGLISH;
    std::vector<BoxButton> buttons;
    for (const int id : kBoxButtonIds[(type & 0xF) < 6 ? type & 0xF : 0]) {
        if (id != 0) {
            buttons.push_back(
                {id, english ? kEnglishButtons[id] : kJapaneseButtons[id], buttons.empty()});
        }
    }
    return buttons;
}

int BoxCancelButton(UINT type) {
    const std::vector<BoxButton> buttons = BoxButtons(type);
    for (const BoxButton& button : buttons) {
        if (button.id == IDCANCEL) {
            return IDCANCEL;
        }
    }
    return buttons.size() == 1 ? buttons[0].id : 0;
}

BaseUnits DialogBaseUnits(const DialogTemplate& t) {
    // A point is 4/3 of a pixel at 96 dots an inch. The Japanese faces' half-width characters
    // are half an em wide; a Mincho face's cell is 9/8 of an em high, a Gothic one's 17/16.
    const int em = (t.fontSize > 0 ? t.fontSize : 9) * 4 / 3;
    const bool mincho = t.fontFace.find("明朝") != std::string::npos ||
                        t.fontFace.find("Mincho") != std::string::npos;
    return {em / 2, mincho ? em * 9 / 8 : em * 17 / 16};
}

ControlState* DialogState::Find(int id) {
    for (ControlState& c : controls) {
        if (c.control->id == id) {
            return &c;
        }
    }
    return nullptr;
}

int Desktop::Impl::Ask(const Modal& modal, int fallback) {
    // A modal loop that meets the quit ends with IDOK, whichever button the user would have
    // pressed, and leaves the quit for the outermost loop.
    if (ModalMustEnd()) {
        return IDOK;
    }
    RunPending();
    if (ModalMustEnd()) {
        return IDOK;
    }
    if (!responder) {
        return fallback;
    }
    const Responder answer = responder;  // the responder may replace itself
    const int button = answer(modal);
    return ModalMustEnd() ? IDOK : button;
}

int Desktop::Impl::RunMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    Modal modal;
    modal.kind = Modal::Kind::MessageBox;
    modal.owner = owner;
    modal.type = type;
    CWinApp* app = AfxGetApp();
    modal.caption = caption != nullptr                               ? caption
                    : app != nullptr && app->m_pszAppName != nullptr ? app->m_pszAppName
                                                                     : "Error";
    modal.text = text != nullptr ? text : "";
    // The box is written down only for a reader: the recording, or a listener.
    if (recording || self.onBox) {
        const BoxRecord record{now, type, modal.caption, modal.text};
        if (recording) {
            boxes.push_back(record);
        }
        if (self.onBox) {
            self.onBox(record);
        }
    }

    WindowSlot* w = Find(owner);
    const bool reenable = w != nullptr && w->info.enabled;
    if (w != nullptr) {
        SetEnabled(*w, false);
    }
    modals.push_back(&modal);
    const int answer = Ask(modal, DefaultAnswer(type));
    modals.pop_back();
    if (w = Find(owner); w != nullptr && reenable) {
        SetEnabled(*w, true);
    }
    return answer;
}

INT_PTR Desktop::Impl::RunDialog(CDialog& dialog) {
    const DialogTemplate* t = detail::ProgramResources().FindDialog(
        dialog.TemplateId(), afx::detail::ApplicationLanguage());
    if (t == nullptr) {
        return -1;
    }
    HWND owner = nullptr;
    if (dialog.Parent() != nullptr) {
        owner = dialog.Parent()->m_hWnd;
    } else if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd != nullptr) {
        owner = app->m_pMainWnd->m_hWnd;
    }
    WindowSlot* ownerSlot = Find(owner);
    // Dialog units of the template's font, about 6 x 13 pixels per 4 x 8 units.
    const CRect base = ownerSlot != nullptr ? ownerSlot->info.windowRect : CRect{};
    const Insets in = NonClient(t->style, 0, false);
    const long long left = base.left + 30LL + t->rect.left * 3LL / 2;
    const long long top = base.top + 30LL + t->rect.top * 13LL / 8;
    const CRect rect{ClampToInt(left), ClampToInt(top),
                     ClampToInt(left + in.left + in.right + t->rect.Width() * 3LL / 2),
                     ClampToInt(top + in.top + in.bottom + t->rect.Height() * 13LL / 8)};
    const HWND hwnd = Create(&dialog, kDialogClass, t->caption.c_str(), t->style & ~WS_VISIBLE, 0,
                             rect, owner, 0);
    WindowSlot* w = Find(hwnd);
    if (w == nullptr) {
        return -1;
    }
    w->dialog = std::make_unique<DialogState>();
    w->dialog->dialogTemplate = t;
    std::size_t group = 0;
    for (std::size_t i = 0; i < t->controls.size(); ++i) {
        const ControlTemplate& c = t->controls[i];
        if (c.group) {
            group = i;
        }
        w->dialog->controls.push_back({&c, false, !c.disabled, group});
    }

    const bool reenable = ownerSlot != nullptr && ownerSlot->info.enabled;
    if (ownerSlot != nullptr) {
        SetEnabled(*ownerSlot, false);
    }
    Modal modal;
    modal.kind = Modal::Kind::Dialog;
    modal.owner = owner;
    modal.templateId = dialog.TemplateId();
    modal.caption = t->caption;
    modal.dialog = &dialog;
    modals.push_back(&modal);

    dialog.OnInitDialog();
    if (w = Find(hwnd); w != nullptr) {
        SetVisible(*w, true);
    }
    // A press that does not end the dialog (OnOK refusing the input) gets asked again, a few
    // times, before the simulated user gives up and cancels.
    constexpr int kPresses = 4;
    for (int press = 0;; ++press) {
        w = Find(hwnd);
        if (w == nullptr || w->dialog->ended) {
            break;
        }
        if (press == kPresses || ModalMustEnd()) {
            w->dialog->ended = true;
            w->dialog->result = ModalMustEnd() ? IDOK : IDCANCEL;
            break;
        }
        const int button = Ask(modal, IDCANCEL);
        if (Find(hwnd) == nullptr) {
            break;
        }
        if (ModalMustEnd()) {
            continue;  // ended above, no button pressed
        }
        LRESULT ignored = 0;
        if (dialog.DispatchMessage(WM_COMMAND, static_cast<WPARAM>(button), 0, ignored)) {
            continue;
        }
        if (button == IDOK) {
            dialog.OnOK();
        } else if (button == IDCANCEL) {
            dialog.OnCancel();
        }
    }
    w = Find(hwnd);
    const int result = w != nullptr ? w->dialog->result : IDCANCEL;
    modals.pop_back();
    if (ownerSlot = Find(owner); ownerSlot != nullptr && reenable) {
        SetEnabled(*ownerSlot, true);
    }
    Destroy(hwnd);
    return result;
}

namespace {
DialogState* DialogOf(const Modal& modal, WindowSlot** window = nullptr) {
    Desktop::Impl* impl = CurrentImpl();
    if (impl == nullptr || modal.dialog == nullptr) {
        return nullptr;
    }
    WindowSlot* w = impl->Find(modal.dialog->m_hWnd);
    if (window != nullptr) {
        *window = w;
    }
    return w != nullptr ? w->dialog.get() : nullptr;
}

// A click on a button: what the button does to itself, then BN_CLICKED to the dialog.
void ClickButton(const Modal& modal, int id, bool radio) {
    using Kind = ControlTemplate::Kind;
    WindowSlot* w = nullptr;
    DialogState* d = DialogOf(modal, &w);
    ControlState* c = d != nullptr ? d->Find(id) : nullptr;
    if (c == nullptr || !c->enabled || !w->info.enabled) {
        return;
    }
    const Kind kind = c->control->kind;
    if (radio) {
        if (kind != Kind::RadioButton && kind != Kind::AutoRadioButton) {
            return;
        }
        if (kind == Kind::AutoRadioButton) {
            for (ControlState& other : d->controls) {
                if (other.group == c->group && other.control->kind == Kind::AutoRadioButton) {
                    other.checked = false;
                }
            }
            c->checked = true;
        }
    } else {
        if (kind != Kind::CheckBox && kind != Kind::AutoCheckBox) {
            return;
        }
        if (kind == Kind::AutoCheckBox) {
            c->checked = !c->checked;
        }
    }
    CurrentImpl()->Send(*w, WM_COMMAND, static_cast<WPARAM>(id & 0xFFFF), 0);
}
}  // namespace

void Modal::ClickCheckBox(int id) const {
    ClickButton(*this, id, false);
}
void Modal::ClickRadioButton(int id) const {
    ClickButton(*this, id, true);
}

void Modal::ClickControl(int id) const {
    const DialogTemplate* t =
        kind == Kind::Dialog ? Desktop::FindDialogTemplate(templateId) : nullptr;
    if (t == nullptr) {
        return;
    }
    for (const ControlTemplate& c : t->controls) {
        if (c.id == id) {
            using K = ControlTemplate::Kind;
            ClickButton(*this, id, c.kind == K::AutoRadioButton || c.kind == K::RadioButton);
            return;
        }
    }
}

UINT Modal::ButtonState(int id) const {
    DialogState* d = DialogOf(*this);
    const ControlState* c = d != nullptr ? d->Find(id) : nullptr;
    return c != nullptr && c->checked ? BST_CHECKED : BST_UNCHECKED;
}

bool Modal::ControlEnabled(int id) const {
    DialogState* d = DialogOf(*this);
    const ControlState* c = d != nullptr ? d->Find(id) : nullptr;
    return c != nullptr && c->enabled;
}

}  // namespace sim
