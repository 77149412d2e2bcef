// What Windows' screen readers find in a window whose client area holds named children (the
// board's cells): an IAccessible for the client (WM_GETOBJECT, OBJID_CLIENT) that reads the
// window's own answers at each call. Only words and places: it takes no action, so nothing a
// reader does reaches the game.
#include "framework/win32/platform.h"

// After <windows.h>, which platform.h brings in its own order.
#include <oleacc.h>

namespace {

constexpr DWORD kCellStates = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;

BSTR Text(const std::string& utf8) {
    const std::wstring wide = afx::win32::Widen(utf8);
    return ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

class ClientAccessible final : public IAccessible {
  public:
    explicit ClientAccessible(HWND window) : window_(window) {}

    // --- IUnknown.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&references_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // --- IDispatch: readers call IAccessible directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // --- IAccessible.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return ::AccessibleObjectFromWindow(window_, static_cast<DWORD>(OBJID_WINDOW),
                                            __uuidof(IDispatch), reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        const CWnd* wnd = Window();
        if (wnd == nullptr) {
            return RPC_E_DISCONNECTED;
        }
        *count = wnd->GetAccessibleChildCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        *object = nullptr;
        return Valid(child) ? S_FALSE : E_INVALIDARG;  // the cells are simple elements
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        *name = nullptr;
        if (!Valid(child)) {
            return E_INVALIDARG;
        }
        *name = Text(Window()->GetAccessibleName(child.lVal));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override {
        *value = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* description) override {
        *description = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!Valid(child)) {
            return E_INVALIDARG;
        }
        // Children in rows are a table's cells; without, a list's items.
        const bool table = Window()->GetAccessibleColumnCount() > 0;
        role->vt = VT_I4;
        if (child.lVal == CHILDID_SELF) {
            role->lVal = table ? ROLE_SYSTEM_TABLE : ROLE_SYSTEM_LIST;
        } else {
            role->lVal = table ? ROLE_SYSTEM_CELL : ROLE_SYSTEM_LISTITEM;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!Valid(child)) {
            return E_INVALIDARG;
        }
        const bool focused = ::GetFocus() == window_;
        LONG bits = STATE_SYSTEM_FOCUSABLE | (focused ? STATE_SYSTEM_FOCUSED : 0);
        if (child.lVal != CHILDID_SELF) {
            const bool here = focused && Window()->GetAccessibleFocus() == child.lVal;
            bits = static_cast<LONG>(kCellStates) | (here ? STATE_SYSTEM_FOCUSED : 0);
        }
        state->vt = VT_I4;
        state->lVal = bits;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
        *help = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
        *file = nullptr;
        *topic = 0;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
        *shortcut = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        const CWnd* wnd = Window();
        if (wnd == nullptr) {
            return RPC_E_DISCONNECTED;
        }
        if (::GetFocus() != window_) {
            focus->vt = VT_EMPTY;
            return S_FALSE;
        }
        focus->vt = VT_I4;
        focus->lVal = wnd->GetAccessibleFocus();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        selection->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* action) override {
        *action = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        if (!Valid(child)) {
            return E_INVALIDARG;
        }
        const CRect r = Window()->GetAccessibleLocation(child.lVal);
        POINT origin{r.left, r.top};
        ::ClientToScreen(window_, &origin);
        *left = origin.x;
        *top = origin.y;
        *width = r.Width();
        *height = r.Height();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT, VARIANT* end) override {
        end->vt = VT_EMPTY;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        const CWnd* wnd = Window();
        if (wnd == nullptr) {
            return RPC_E_DISCONNECTED;
        }
        POINT p{x, y};
        ::ScreenToClient(window_, &p);
        child->vt = VT_EMPTY;
        const CRect client = wnd->GetAccessibleLocation(CHILDID_SELF);
        if (!client.PtInRect({p.x, p.y})) {
            return S_FALSE;
        }
        child->vt = VT_I4;
        child->lVal = CHILDID_SELF;
        for (LONG i = 1; i <= wnd->GetAccessibleChildCount(); ++i) {
            if (wnd->GetAccessibleLocation(i).PtInRect({p.x, p.y})) {
                child->lVal = i;
            }
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  private:
    const CWnd* Window() const { return afx::win32::FromHandle(window_); }
    // The client itself or one of its children, while the window lives.
    bool Valid(const VARIANT& child) const {
        const CWnd* wnd = Window();
        return wnd != nullptr && child.vt == VT_I4 && child.lVal >= CHILDID_SELF &&
               child.lVal <= wnd->GetAccessibleChildCount();
    }

    HWND window_;
    LONG references_ = 1;
};

}  // namespace

namespace afx::win32 {

LRESULT AnswerGetObject(HWND window, WPARAM flags) {
    auto* object = new ClientAccessible(window);
    // The interface's id as the header declares it: the import library's IID_IAccessible is
    // no data at all.
    LRESULT result = ::LresultFromObject(__uuidof(IAccessible), flags, object);
    // The object crosses to the reader through COM: the first reader's question joins this
    // thread to it, once, for the rest of the program.
    if (result == CO_E_NOTINITIALIZED &&
        SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        result = ::LresultFromObject(__uuidof(IAccessible), flags, object);
    }
    object->Release();  // the result holds its own reference
    return result;
}

}  // namespace afx::win32
