// What both backends share: message-map dispatch and the base classes' default handlers.
#include "framework/afxwin.h"

const CRect CFrameWnd::rectDefault{CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};

const AFX_MSGMAP* CWnd::GetMessageMap() const {
    static const AFX_MSGMAP empty{nullptr, {}};
    return &empty;
}

const AFX_MSGMAP_ENTRY* CWnd::FindMessageEntry(UINT message, UINT commandId) const {
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr; map = map->base) {
        for (const AFX_MSGMAP_ENTRY& entry : map->entries) {
            if (entry.message == message &&
                (message != WM_COMMAND || entry.commandId == commandId)) {
                return &entry;
            }
        }
    }
    return nullptr;
}

bool CWnd::DispatchMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, static_cast<UINT>(wParam & 0xFFFF));
    if (entry == nullptr) {
        return false;
    }
    result = entry->thunk(this, wParam, lParam);
    return true;
}

void CWnd::PostNcDestroy() {}

std::string CWnd::GetAccessibleName(LONG) const {
    return {};
}

CRect CWnd::GetAccessibleLocation(LONG) const {
    CRect client;
    GetClientRect(&client);
    return client;
}

std::string AfxFormatString2(UINT id, std::string_view argument1, std::string_view argument2) {
    std::string text = AfxLoadString(id);
    // The second first, so that the first argument's own text is never taken for a "%2".
    if (const std::size_t at = text.find("%2"); at != std::string::npos) {
        text.replace(at, 2, argument2);
    }
    if (const std::size_t at = text.find("%1"); at != std::string::npos) {
        text.replace(at, 2, argument1);
    }
    return text;
}

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

LANGID afx::detail::ApplicationLanguage() {
    const CWinApp* app = AfxGetApp();
    return app != nullptr ? app->GetResourceLanguage() : MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
}
