#include "platform/win32/Win32Automation.h"

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <vector>

#include "platform/win32/Handle.h"

namespace platform {
namespace {

struct DispatchTraits {
  static IDispatch* none() { return nullptr; }
  static bool valid(IDispatch* p) { return p != nullptr; }
  static void close(IDispatch* p) { p->Release(); }
};
using Dispatch = OwnedHandle<IDispatch*, DispatchTraits>;

std::vector<wchar_t> wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> out(n > 0 ? static_cast<std::size_t>(n) : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), n);
  return out;
}

class Win32AutomationObject : public AutomationObject {
 public:
  explicit Win32AutomationObject(Dispatch object) : object_(std::move(object)) {}
  bool getProperty(const std::string& name) override { return invoke(name, DISPATCH_PROPERTYGET); }
  bool callMethod(const std::string& name) override { return invoke(name, DISPATCH_METHOD); }

 private:
  bool invoke(const std::string& name, WORD kind) {
    std::vector<wchar_t> member = wide(name);
    LPOLESTR names[] = {member.data()};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(object_.get()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
      return false;
    DISPPARAMS none{};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO failure{};
    UINT badArgument = 0;
    const HRESULT hr = object_.get()->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &none,
                                             &result, &failure, &badArgument);
    VariantClear(&result);
    SysFreeString(failure.bstrSource);
    SysFreeString(failure.bstrDescription);
    SysFreeString(failure.bstrHelpFile);
    return SUCCEEDED(hr);
  }

  Dispatch object_;
};

}  // namespace

Win32Automation::Win32Automation() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}

Win32Automation::~Win32Automation() {
  if (initialised_) CoUninitialize();
}

std::unique_ptr<AutomationObject> Win32Automation::create(const std::string& progId) {
  std::vector<wchar_t> name = wide(progId);
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(name.data(), &clsid))) return nullptr;
  IDispatch* raw = nullptr;
  // Word's object lives in its own process; a server in a DLL is taken as well.
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&raw))) ||
      !raw)
    return nullptr;
  return std::make_unique<Win32AutomationObject>(Dispatch(raw));
}

}  // namespace platform
