#include "dialogs/settings_dialog.h"

#include "app/board_frame.h"
#include "game/score_frame.h"
#include "resource.h"

namespace {
constexpr int kComputerBoxes[4] = {IDC_COMPUTER_01, IDC_COMPUTER_02, IDC_COMPUTER_04,
                                   IDC_COMPUTER_08};
constexpr int kHumanButtonBase = IDC_HUMANS_1 - 1;  // button of n humans: base + n
}  // namespace

SettingsDialog::SettingsDialog() : CDialog(IDD_SETTINGS) {}

SettingsDialog::~SettingsDialog() = default;

BOOL SettingsDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    for (std::size_t i = 0; i < ComputerBits.size(); ++i) {
        if ((computerFlags & ComputerBits[i]) != 0) {
            CheckDlgButton(kComputerBoxes[i], BST_CHECKED);
        }
    }
    CheckRadioButton(IDC_HUMANS_1, IDC_HUMANS_NONE, humanSelection);
    return FALSE;  // no initial focus; Enter still presses OK
}

void SettingsDialog::OnOK() {
    computerCount = 0;
    computerFlags = 0;
    for (std::size_t i = 0; i < ComputerBits.size(); ++i) {
        if (IsDlgButtonChecked(kComputerBoxes[i]) != 0) {
            computerFlags |= ComputerBits[i];
            ++computerCount;
        }
    }
    // With no button of the group checked, the number of humans stays what it was.
    int checked = GetCheckedRadioButton(IDC_HUMANS_1, IDC_HUMANS_NONE);
    if (checked == 0) {
        checked = humanSelection;
    }
    humanSelection = checked == IDC_HUMANS_NONE ? 0 : checked - kHumanButtonBase;
    EndDialog(IDOK);
}

void BoardFrame::ChangeSettings() {
    if (MessageBox(AfxLoadString(IDS_SETTINGS_QUESTION).c_str(),
                   AfxLoadString(IDS_SETTINGS_CAPTION).c_str(),
                   MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
        return;
    }
    GuardScope guard(computerMoveAllowed);  // restored whether the dialog is confirmed or not

    SettingsDialog dialog;
    dialog.computerFlags = computerFlags;
    dialog.humanSelection = humanCount != 0 ? kHumanButtonBase + humanCount : IDC_HUMANS_NONE;
    if (dialog.DoModal() == IDOK) {
        // The turn in progress is abandoned with its game: a resolve still pending would
        // otherwise be scored under the new turn order.
        KillTimer(kResolveTimer);
        firstPickColumn = -1;
        secondPickColumn = -1;

        const int humans = dialog.humanSelection;
        const int computers = dialog.computerCount;
        const int flags = dialog.computerFlags;
        if (humans + computers == 0) {
            MessageBox(AfxLoadString(IDS_NOBODY_PLAYS).c_str(),
                       AfxLoadString(IDS_NOBODY_PLAYS_CAPTION).c_str(), MB_OK | MB_ICONEXCLAMATION);
            MessageBox(AfxLoadString(IDS_GOODBYE).c_str(),
                       AfxLoadString(IDS_GOODBYE_CAPTION).c_str(), MB_OK | MB_ICONINFORMATION);
            PostQuitMessage(0);
            // Nobody is left to play: the program ends as soon as this handler returns.
            return;
        }
        if (computerCount == 0 && computers != 0) {
            SetTimer(kComputerTimer, kComputerPeriodMs);
        } else if (computerCount != 0 && computers == 0) {
            KillTimer(kComputerTimer);
        }
        humanCount = humans;
        computerFlags = flags;
        computerCount = computers;
        currentPlayer = scoreFrame->SetupOrder(humans, computers, flags);
        inputEnabled = IsHuman(currentPlayer) ? 1 : 0;
        NewGame();
    }
}
