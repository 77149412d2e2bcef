// Modal dialogs from the program's templates, with the framework's virtual hooks for
// initialisation, OK and Cancel.
#include "framework/win32/platform.h"

namespace {

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_hWnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
        return dialog->OnInitDialog();
    }
    auto* dialog = static_cast<CDialog*>(afx::win32::FromHandle(hwnd));
    if (dialog == nullptr) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        dialog->m_hWnd = nullptr;
        return FALSE;
    }
    LRESULT result = 0;
    if (dialog->DispatchMessage(message, wParam, lParam, result)) {
        ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        // Enter and Escape arrive as IDOK and IDCANCEL too, like the buttons of those ids.
        switch (LOWORD(wParam)) {
            case IDOK:
                dialog->OnOK();
                return TRUE;
            case IDCANCEL:
                dialog->OnCancel();
                return TRUE;
            default:
                break;
        }
    }
    return FALSE;
}

}  // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    HWND owner = nullptr;
    if (parent_ != nullptr) {
        owner = parent_->m_hWnd;
    } else if (const CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd != nullptr) {
        owner = app->m_pMainWnd->m_hWnd;
    }
    const auto* dialogTemplate =
        static_cast<const DLGTEMPLATE*>(afx::win32::LoadLanguageResource(RT_DIALOG, templateId_));
    if (dialogTemplate == nullptr) {
        return -1;
    }
    return ::DialogBoxIndirectParamW(afx::win32::Instance(), dialogTemplate, owner, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int result) {
    ::EndDialog(m_hWnd, result);
}

void CDialog::CheckDlgButton(int id, UINT check) {
    ::CheckDlgButton(m_hWnd, id, check);
}

UINT CDialog::IsDlgButtonChecked(int id) const {
    return ::IsDlgButtonChecked(m_hWnd, id);
}

void CDialog::CheckRadioButton(int firstId, int lastId, int checkId) {
    ::CheckRadioButton(m_hWnd, firstId, lastId, checkId);
}

int CDialog::GetCheckedRadioButton(int firstId, int lastId) const {
    for (int id = firstId; id <= lastId; ++id) {
        if (::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED) {
            return id;
        }
    }
    return 0;
}
