// A stand-in "Word.Application": records its making, calls and release in $CORVA_RECORD.
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <cstdio>

namespace {

void record(const char* line) {
  char log[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("CORVA_RECORD", log, MAX_PATH)) return;
  if (FILE* f = std::fopen(log, "ab")) {
    std::fprintf(f, "%s\n", line);
    std::fclose(f);
  }
}

const wchar_t* const kMembers[] = {L"Visible", L"Quit"};  // DISPIDs 1 and 2

class WordObject final : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    const bool known = iid == IID_IUnknown || iid == IID_IDispatch;
    *out = known ? this : nullptr;
    if (known) AddRef();
    return known ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    if (--refs_) return refs_;
    record("released");
    delete this;
    return 0;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    ids[0] = DISPID_UNKNOWN;
    for (DISPID id = 1; id <= 2; ++id)
      if (count == 1 && lstrcmpiW(names[0], kMembers[id - 1]) == 0) ids[0] = id;
    return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    if (id != 1 && id != 2) return DISP_E_MEMBERNOTFOUND;
    char line[64];
    wsprintfA(line, "%ls flags=%u args=%u", kMembers[id - 1], flags, params ? params->cArgs : 0u);
    record(line);
    return S_OK;
  }

 private:
  ULONG refs_ = 1;
};

class Factory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    const bool known = iid == IID_IUnknown || iid == IID_IClassFactory;
    *out = known ? this : nullptr;
    return known ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** out) override {
    *out = nullptr;
    record("created");
    WordObject* object = new WordObject;  // released again at once if iid is unknown
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
} g_factory;

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI
    DllGetClassObject(REFCLSID, REFIID iid, void** out) {
  return g_factory.QueryInterface(iid, out);
}
