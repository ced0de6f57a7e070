// wordautomation.dll: an in-process automation server that the tests register
// under the ProgID "Word.Application". Its object knows the members "Visible"
// (a property) and "Quit" (a method) and appends one line per call, and one when
// it is released, to the file named by CORVA_RECORD.
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <cstdio>

namespace {

LONG g_objects = 0;

void record(const char* line) {
  char log[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("CORVA_RECORD", log, MAX_PATH)) return;
  if (FILE* f = std::fopen(log, "ab")) {
    std::fprintf(f, "%s\n", line);
    std::fclose(f);
  }
}

constexpr DISPID kVisible = 1;
constexpr DISPID kQuit = 2;

class WordObject final : public IDispatch {
 public:
  WordObject() { InterlockedIncrement(&g_objects); }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    const bool known = iid == IID_IUnknown || iid == IID_IDispatch;
    *out = known ? static_cast<IDispatch*>(this) : nullptr;
    if (known) AddRef();
    return known ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) {
      record("released");
      InterlockedDecrement(&g_objects);
      delete this;
    }
    return left;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    const bool visible = count == 1 && lstrcmpiW(names[0], L"Visible") == 0;
    const bool quit = count == 1 && lstrcmpiW(names[0], L"Quit") == 0;
    ids[0] = visible ? kVisible : quit ? kQuit : DISPID_UNKNOWN;
    return visible || quit ? S_OK : DISP_E_UNKNOWNNAME;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT*) override {
    char line[64];
    wsprintfA(line, "%s flags=%u args=%u",
              id == kVisible ? "Visible"
              : id == kQuit  ? "Quit"
                             : "?",
              flags, params ? params->cArgs : 0u);
    record(line);
    if (id == kVisible && (flags & DISPATCH_PROPERTYGET) && result) {
      result->vt = VT_BOOL;
      result->boolVal = VARIANT_FALSE;
    }
    return id == kVisible || id == kQuit ? S_OK : DISP_E_MEMBERNOTFOUND;
  }

 private:
  LONG refs_ = 1;
};

class Factory : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    const bool known = iid == IID_IUnknown || iid == IID_IClassFactory;
    *out = known ? static_cast<IClassFactory*>(this) : nullptr;
    return known ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    WordObject* object = new WordObject;
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    if (SUCCEEDED(hr)) record("created");
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI
    DllGetClassObject(REFCLSID, REFIID iid, void** out) {
  return g_factory.QueryInterface(iid, out);
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() {
  return g_objects == 0 ? S_OK : S_FALSE;
}
