// What both backends share: message-map dispatch and the base classes' default handlers.
#include "framework/afxwin.h"

const CRect CFrameWnd::rectDefault{CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};

const AFX_MSGMAP* CWnd::GetMessageMap() const {
    static const AFX_MSGMAP empty{nullptr, {}};
    return &empty;
}

bool CWnd::DispatchMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const UINT commandId = static_cast<UINT>(wParam & 0xFFFF);
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr; map = map->base) {
        for (const AFX_MSGMAP_ENTRY& entry : map->entries) {
            if (entry.message != message) {
                continue;
            }
            if (message == WM_COMMAND && entry.commandId != commandId) {
                continue;
            }
            result = entry.thunk(this, wParam, lParam);
            return true;
        }
    }
    return false;
}

void CWnd::PostNcDestroy() {}

void CFrameWnd::PostNcDestroy() {
    delete this;
}

BOOL CDialog::OnInitDialog() {
    return TRUE;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}
