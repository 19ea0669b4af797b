#include "platform/win32/view/win32_accessible.h"

// clang-format off
#include <ole2.h>
#include <initguid.h>  // IID_IAccessible here: the import library's is a stub, not the GUID
#include <oleacc.h>
// clang-format on

#include "platform/win32/view/win32_control_window.h"
#include "platform/win32/view/win32_form_view.h"
#include "platform/win32/win32_text.h"

namespace quilbert::win32view {

namespace {

bool isSelf(const VARIANT& child) {
  return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The system's object for a control window, but for the name and the
// description of the control itself, which the model gives. It holds the
// window, never the control: a control is found anew at each question, so
// that an object a reader keeps after the window went touches nothing.
class AccessibleControl final : public IAccessible {
 public:
  // Takes over one reference to `system`.
  AccessibleControl(HWND window, IAccessible* system) : window_(window), system_(system) {}
  ~AccessibleControl() { system_->Release(); }
  AccessibleControl(const AccessibleControl&) = delete;
  AccessibleControl& operator=(const AccessibleControl&) = delete;

  // ---- IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    // Finding the window and listing children are the system object's.
    if (iid == IID_IOleWindow || iid == IID_IEnumVARIANT) return system_->QueryInterface(iid, out);
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG n = --refs_;
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

  // ---- IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    return system_->GetTypeInfoCount(n);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID lcid, ITypeInfo** info) override {
    return system_->GetTypeInfo(i, lcid, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT n, LCID lcid,
                                          DISPID* ids) override {
    return system_->GetIDsOfNames(iid, names, n, lcid, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* error, UINT* badArg) override;

  // ---- IAccessible: the name and description of the control itself are ours
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return text(child, name, &forms::Control::accessibleName, &IAccessible::get_accName);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    return text(child, description, &forms::Control::accessibleDescription,
                &IAccessible::get_accDescription);
  }

  // ---- the rest is the system object's
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return system_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* n) override {
    return system_->get_accChildCount(n);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    return system_->get_accChild(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return system_->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return system_->get_accRole(child, role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return system_->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return system_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return system_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    return system_->get_accKeyboardShortcut(child, keys);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    return system_->get_accFocus(child);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return system_->get_accSelection(children);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return system_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG how, VARIANT child) override {
    return system_->accSelect(how, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h,
                                        VARIANT child) override {
    return system_->accLocation(x, y, w, h, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG dir, VARIANT start, VARIANT* end) override {
    return system_->accNavigate(dir, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
    return system_->accHitTest(x, y, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return system_->accDoDefaultAction(child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return system_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return system_->put_accValue(child, value);
  }

 private:
  using ModelText = const std::string& (forms::Control::*)() const;
  using SystemText = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);

  // The control of the window while both exist.
  [[nodiscard]] const forms::Control* control() const {
    Win32FormView* view = Win32FormView::of(window_);
    ControlWindow* c = view != nullptr ? view->controlWindow(window_) : nullptr;
    return c != nullptr ? &c->control() : nullptr;
  }

  // The model's text of the control itself, or the system's where it has none.
  HRESULT text(VARIANT child, BSTR* out, ModelText model, SystemText system) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!isSelf(child)) return (system_->*system)(child, out);
    const forms::Control* c = control();
    if (c == nullptr) return RPC_E_DISCONNECTED;
    const std::string& mine = (c->*model)();
    if (mine.empty()) return (system_->*system)(child, out);
    *out = SysAllocString(platform::win32::widen(mine).c_str());
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  }

  LONG refs_ = 1;
  HWND window_;
  IAccessible* system_;
};

HRESULT AccessibleControl::Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO* error, UINT* badArg) {
  // Through the interface's own description, so that a client calling by
  // name meets the same texts as one calling the methods.
  ITypeInfo* info = nullptr;
  if (SUCCEEDED(system_->GetTypeInfo(0, lcid, &info)) && info != nullptr) {
    const HRESULT r =
        info->Invoke(static_cast<IAccessible*>(this), id, flags, params, result, error, badArg);
    info->Release();
    return r;
  }
  return system_->Invoke(id, iid, lcid, flags, params, result, error, badArg);
}

// Objects go to readers through COM, which the program starts at the first
// question and keeps: a run that nobody reads starts without it.
void startCom() {
  static thread_local bool started = false;
  if (started) return;
  started = true;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

}  // namespace

std::optional<LRESULT> accessibleObject(HWND window, const forms::Control& control, WPARAM wp,
                                        LPARAM lp) {
  if (static_cast<DWORD>(lp) != static_cast<DWORD>(OBJID_CLIENT)) return std::nullopt;
  if (control.accessibleName().empty() && control.accessibleDescription().empty()) {
    return std::nullopt;
  }
  startCom();
  IAccessible* system = nullptr;
  if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, IID_IAccessible,
                                       reinterpret_cast<void**>(&system))) ||
      system == nullptr) {
    return std::nullopt;
  }
  auto* mine = new AccessibleControl(window, system);
  const LRESULT r = LresultFromObject(IID_IAccessible, wp, mine);
  mine->Release();  // what the reader holds keeps it
  if (FAILED(static_cast<HRESULT>(r))) return std::nullopt;
  return r;
}

}  // namespace quilbert::win32view
