// Graphic objects and device contexts. A context remembers what it held before the program's
// first selection of each kind, so that SelectObject can hand it back and it is never deleted.
#include "framework/win32/platform.h"

// --- Graphic objects ----------------------------------------------------------------------------

BOOL CGdiObject::DeleteObject() {
    if (m_hObject == nullptr) {
        return FALSE;
    }
    const BOOL deleted = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return deleted;
}

HGDIOBJ CGdiObject::Detach() {
    const HGDIOBJ object = m_hObject;
    m_hObject = nullptr;
    return object;
}

BOOL CBitmap::LoadBitmap(UINT resourceId) {
    DeleteObject();
    m_hObject = ::LoadBitmapW(afx::win32::Instance(), MAKEINTRESOURCEW(resourceId));
    return m_hObject != nullptr;
}

BOOL CBrush::CreateSolidBrush(COLORREF color) {
    DeleteObject();
    m_hObject = ::CreateSolidBrush(color);
    return m_hObject != nullptr;
}

BOOL CPen::CreatePen(int style, int width, COLORREF color) {
    DeleteObject();
    m_hObject = ::CreatePen(style, width, color);
    return m_hObject != nullptr;
}

// --- Device contexts ----------------------------------------------------------------------------

namespace {

// Selects `object` into the context and returns the wrapper of what it replaces. The first
// selection of a kind gives the context's original object to the default wrapper.
template <class Wrapper>
Wrapper* Select(HDC dc, Wrapper* object, Wrapper& original, Wrapper*& selected) {
    if (dc == nullptr || object == nullptr || object->m_hObject == nullptr) {
        return nullptr;
    }
    const HGDIOBJ previous = ::SelectObject(dc, object->m_hObject);
    if (previous == nullptr || previous == HGDI_ERROR) {
        return nullptr;
    }
    if (selected == &original && original.m_hObject == nullptr) {
        original.m_hObject = previous;
    }
    Wrapper* replaced = selected;
    selected = object;
    return replaced;
}

}  // namespace

CDC::CDC() = default;

CDC::~CDC() {
    DeleteDC();
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
    DeleteDC();
    m_hDC = ::CreateCompatibleDC(dc != nullptr ? dc->m_hDC : nullptr);
    return m_hDC != nullptr;
}

BOOL CDC::DeleteDC() {
    // The originals belong to the context: let go of them, never delete them.
    defaultBitmap_.Detach();
    defaultBrush_.Detach();
    defaultPen_.Detach();
    selectedBitmap_ = &defaultBitmap_;
    selectedBrush_ = &defaultBrush_;
    selectedPen_ = &defaultPen_;
    if (m_hDC == nullptr) {
        return FALSE;
    }
    const BOOL deleted = ::DeleteDC(m_hDC);
    m_hDC = nullptr;
    return deleted;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    return Select(m_hDC, bitmap, defaultBitmap_, selectedBitmap_);
}

CBrush* CDC::SelectObject(CBrush* brush) {
    return Select(m_hDC, brush, defaultBrush_, selectedBrush_);
}

CPen* CDC::SelectObject(CPen* pen) {
    return Select(m_hDC, pen, defaultPen_, selectedPen_);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY,
                 DWORD rop) {
    return ::BitBlt(m_hDC, x, y, width, height, source != nullptr ? source->m_hDC : nullptr,
                    sourceX, sourceY, rop);
}

COLORREF CDC::SetTextColor(COLORREF color) {
    return ::SetTextColor(m_hDC, color);
}

COLORREF CDC::SetBkColor(COLORREF color) {
    return ::SetBkColor(m_hDC, color);
}

BOOL CDC::TextOut(int x, int y, const char* text, int length) {
    if (text == nullptr || length < 0) {
        return FALSE;
    }
    const std::wstring wide =
        afx::win32::Widen(std::string_view(text, static_cast<std::size_t>(length)));
    return ::TextOutW(m_hDC, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom) {
    return ::Rectangle(m_hDC, left, top, right, bottom);
}

void CDC::DrawFocusRect(const CRect* rect) {
    if (rect != nullptr) {
        const RECT r{rect->left, rect->top, rect->right, rect->bottom};
        ::DrawFocusRect(m_hDC, &r);
    }
}

// --- Paint context ------------------------------------------------------------------------------

CPaintDC::CPaintDC(CWnd* window) : window_(window) {
    auto* paint = new PAINTSTRUCT{};
    paintState_ = paint;
    m_hDC = ::BeginPaint(window_->m_hWnd, paint);
}

CPaintDC::~CPaintDC() {
    defaultBitmap_.Detach();
    defaultBrush_.Detach();
    defaultPen_.Detach();
    auto* paint = static_cast<PAINTSTRUCT*>(paintState_);
    ::EndPaint(window_->m_hWnd, paint);
    delete paint;
    m_hDC = nullptr;  // EndPaint released it; not ours to delete
}

// --- Client-area context ------------------------------------------------------------------------

CClientDC::CClientDC(CWnd* window) : window_(window) {
    m_hDC = ::GetDC(window_->m_hWnd);
}

CClientDC::~CClientDC() {
    defaultBitmap_.Detach();
    defaultBrush_.Detach();
    defaultPen_.Detach();
    ::ReleaseDC(window_->m_hWnd, m_hDC);
    m_hDC = nullptr;  // released, not ours to delete
}
