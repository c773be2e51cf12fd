// A stand-in for the engine's automation server, for the Windows tests under Wine: a local
// server of the engine's class id and ProgID that answers the members the editor calls,
// early-bound through the table entries and by name through IDispatch, and writes what it
// receives to a log the tests read. Made from nothing but the public COM API; the
// interface layout is the one the client declares (platform/automation/ComInterfaces.h).
//
//   TestSpssServer /regserver DIR    registers it in the classes (with a type library in DIR,
//                                    so that the universal marshaller carries the vtable calls)
//   TestSpssServer /unregserver      removes every key /regserver wrote
//   TestSpssServer /active DIR       runs as the active engine (running object table) until
//                                    DIR\quit appears
//   TestSpssServer DIR -Embedding    started by COM for a new instance
//
// DIR/mode, read at every call, makes it misbehave: "fail" (an error result with an error
// object, or an exception's text by name), "die" (the process ends inside the call), "hang"
// (the call returns only when the process ends, on DIR/quit); "fail NAME" and so on for
// the member NAME alone.
// DIR/docpath holds the data document's path. Each call appends "member<TAB>n\n" and the n
// bytes of its argument plus "\n" to DIR/log.
#include "platform/WinText.h"
#include "platform/automation/ComInterfaces.h"

#include <oleauto.h>
#include <shellapi.h>
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace qs::automation::com;

namespace {

// The collection's interface id exists only in this server's type library: the client never
// asks for it by id.
constexpr IID kIidDocuments = {
    0x3f1e0c52, 0x7d1a, 0x4b9e, {0x9a, 0x51, 0x2c, 0x6b, 0x1e, 0x77, 0x40, 0x11}};
constexpr GUID kLibId = {
    0x3f1e0c53, 0x7d1a, 0x4b9e, {0x9a, 0x51, 0x2c, 0x6b, 0x1e, 0x77, 0x40, 0x11}};
constexpr CLSID kUniversalMarshaller = {
    0x00020424, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr HRESULT kRefused = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0201);
constexpr const char* kRefusedText = "The test engine refused the call";

std::wstring g_dir;
std::atomic<long> g_objects{0};
HANDLE g_lastGone = nullptr;

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Mode() {
    std::string mode = ReadFileBytes(g_dir + L"\\mode");
    while (!mode.empty() && (mode.back() == '\n' || mode.back() == '\r')) {
        mode.pop_back();
    }
    return mode;
}

void Log(const std::string& member, const std::string& value) {
    std::ofstream out(std::filesystem::path(g_dir + L"\\log"), std::ios::binary | std::ios::app);
    out << member << '\t' << value.size() << '\n' << value << '\n';
}

std::wstring Guid(const GUID& id) {
    wchar_t text[64];
    ::StringFromGUID2(id, text, 64);
    return text;
}

// Misbehaves as DIR/mode says ("fail", "die" or "hang", for every member or, followed by
// a space and a member's name, for that one); true when the call is to fail.
bool Misbehave(const std::string& member) {
    const std::string mode = Mode();
    const std::size_t space = mode.find(' ');
    if (space != std::string::npos && mode.substr(space + 1) != member) {
        return false;
    }
    const std::string what = mode.substr(0, space);
    if (what == "die") {
        ::ExitProcess(3);
    }
    if (what == "hang") {
        // Until the test ends it, as a person would end a server that no longer answers.
        // A minute at most, so that a test that died cannot leave it behind for good.
        for (int i = 0; i < 1200 && !std::filesystem::exists(g_dir + L"\\quit"); ++i) {
            ::Sleep(50);
        }
        ::ExitProcess(4);
    }
    return what == "fail";
}

HRESULT Refuse() {
    ICreateErrorInfo* create = nullptr;
    if (SUCCEEDED(::CreateErrorInfo(&create))) {
        create->SetDescription(const_cast<LPOLESTR>(qs::Widen(kRefusedText).c_str()));
        create->SetGUID(kIidSpssApp);
        IErrorInfo* info = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
            ::SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    }
    return kRefused;
}

// The text between the quotes after `lead`, with doubled quotes read as one.
std::string Quoted(const std::string& text, const std::string& lead, char quote) {
    const std::size_t at = text.find(lead);
    if (at == std::string::npos) {
        return {};
    }
    std::string name;
    for (std::size_t i = at + lead.size(); i < text.size(); ++i) {
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                ++i;
            } else {
                break;
            }
        }
        name += text[i];
    }
    return name;
}

// An argument by name as the log shows it: its value, and how it was passed.
std::string Described(const VARIANT& argument) {
    if (argument.vt == VT_BOOL) {
        return argument.boolVal == VARIANT_TRUE ? "true" : "false";
    }
    if (argument.vt == (VT_I4 | VT_BYREF)) {
        return std::to_string(*argument.plVal) + " by reference";
    }
    if (argument.vt == VT_I4) {
        return std::to_string(argument.lVal);
    }
    if (argument.vt == VT_BSTR || argument.vt == (VT_BSTR | VT_BYREF)) {
        const BSTR text = argument.vt == VT_BSTR ? argument.bstrVal : *argument.pbstrVal;
        return qs::Narrow(text == nullptr ? L"" : text);
    }
    return "type " + std::to_string(argument.vt);
}

// Reference counting and IDispatch by name, shared by the three objects.
template <typename Interface> class Object : public Interface {
public:
    Object() { ++g_objects; }
    virtual ~Object() {
        if (--g_objects == 0 && g_lastGone != nullptr) {
            ::SetEvent(g_lastGone);
        }
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_refs;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == OwnIid()) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        HRESULT result = S_OK;
        for (UINT i = 0; i < count; ++i) {
            const std::string name = qs::Narrow(names[i]);
            ids[i] = DISPID_UNKNOWN;
            for (std::size_t k = 0; k < Names().size(); ++k) {
                if (Names()[k] == name) {
                    ids[i] = static_cast<DISPID>(k + 1);
                }
            }
            if (ids[i] == DISPID_UNKNOWN) {
                result = DISP_E_UNKNOWNNAME;
            }
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT*) override {
        if (id < 1 || static_cast<std::size_t>(id) > Names().size()) {
            return DISP_E_MEMBERNOTFOUND;
        }
        const std::string name = Names()[static_cast<std::size_t>(id - 1)];
        Log(name, params != nullptr && params->cArgs > 0 ? Described(params->rgvarg[0]) : "");
        if (Misbehave(name)) {
            if (exception != nullptr) {
                *exception = {};
                exception->scode = kRefused;
                exception->bstrSource = ::SysAllocString(L"TestSpssServer");
                exception->bstrDescription = ::SysAllocString(qs::Widen(kRefusedText).c_str());
            }
            return DISP_E_EXCEPTION;
        }
        if (result != nullptr) {
            ::VariantInit(result);
        }
        return ByName(name, result);
    }

protected:
    virtual const IID& OwnIid() const = 0;
    virtual const std::vector<std::string>& Names() const = 0;
    virtual HRESULT ByName(const std::string& name, VARIANT* result) = 0;

private:
    std::atomic<ULONG> m_refs{1};
};

class Document : public Object<IDispatch> {
    const IID& OwnIid() const override { return IID_IDispatch; }
    const std::vector<std::string>& Names() const override {
        static const std::vector<std::string> names{"Visible", "WindowState", "GetBannerText",
                                                    "GetDocumentPath", "SaveAs"};
        return names;
    }
    HRESULT ByName(const std::string& name, VARIANT* result) override {
        if (result == nullptr) {
            return S_OK;
        }
        if (name == "GetBannerText") {
            result->vt = VT_BSTR;
            result->bstrVal = ::SysAllocString(L"Test engine data \u00e9");
        } else if (name == "GetDocumentPath") {
            result->vt = VT_BSTR;
            result->bstrVal =
                ::SysAllocString(qs::Widen(ReadFileBytes(g_dir + L"\\docpath")).c_str());
        }
        return S_OK;
    }
};

class Documents : public Object<ISpssDocumentsCom> {
public:
    HRESULT STDMETHODCALLTYPE GetDataDoc(int index, IDispatch** document) override {
        Log("GetDataDoc@13", std::to_string(index));
        if (Misbehave("GetDataDoc@13")) {
            return Refuse();
        }
        *document = new Document;
        return S_OK;
    }

private:
    const IID& OwnIid() const override { return kIidDocuments; }
    const std::vector<std::string>& Names() const override {
        static const std::vector<std::string> names{"GetDataDoc"};
        return names;
    }
    HRESULT ByName(const std::string&, VARIANT* result) override {
        if (result != nullptr) {
            result->vt = VT_DISPATCH;
            result->pdispVal = new Document;
        }
        return S_OK;
    }
};

class App : public Object<ISpssAppCom>, public ISupportErrorInfo {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_ISupportErrorInfo) {
            *out = static_cast<ISupportErrorInfo*>(this);
            AddRef();
            return S_OK;
        }
        return Object<ISpssAppCom>::QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Object<ISpssAppCom>::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Object<ISpssAppCom>::Release(); }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
        return iid == kIidSpssApp ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Documents(ISpssDocumentsCom** documents) override {
        Log("Documents@7", "");
        if (Misbehave("Documents@7")) {
            return Refuse();
        }
        *documents = new ::Documents;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OutputDoc(IDispatch** document) override {
        return Accessor("OutputDoc@19", document);
    }
    HRESULT STDMETHODCALLTYPE DesignerDoc(IDispatch** document) override {
        return Accessor("DesignerDoc@20", document);
    }
    HRESULT STDMETHODCALLTYPE ExecuteCommands(BSTR text, VARIANT_BOOL wait) override {
        const std::string commands = qs::Narrow(text == nullptr ? L"" : text);
        Log(wait == VARIANT_TRUE ? "ExecuteCommands@21" : "ExecuteCommands@21(nowait)", commands);
        if (Misbehave("ExecuteCommands@21")) {
            return Refuse();
        }
        // What an engine would read or write at once, while the caller waits.
        if (const std::string include = Quoted(commands, "INCLUDE FILE=\"", '"');
            !include.empty()) {
            Log("Include:" + include, ReadFileBytes(qs::Widen(include)));
        }
        if (const std::string out = Quoted(commands, "SAVE OUTFILE='", '\''); !out.empty()) {
            Log("SaveOutfile", out);
            if (Misbehave("SaveOutfile")) { // a SAVE that fails writes nothing
                return S_OK;
            }
            std::ofstream(std::filesystem::path(qs::Widen(out)), std::ios::binary | std::ios::trunc)
                << "dictionary";
        }
        return S_OK;
    }

private:
    HRESULT Accessor(const char* member, IDispatch** document) {
        Log(member, "");
        if (Misbehave(member)) {
            return Refuse();
        }
        *document = new Document;
        return S_OK;
    }
    const IID& OwnIid() const override { return kIidSpssApp; }
    const std::vector<std::string>& Names() const override {
        static const std::vector<std::string> names{"Documents"};
        return names;
    }
    HRESULT ByName(const std::string&, VARIANT* result) override {
        if (result != nullptr) {
            result->vt = VT_DISPATCH;
            result->pdispVal = new ::Documents;
        }
        return S_OK;
    }
};

class Factory : public IClassFactory {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        App* app = new App;
        const HRESULT hr = app->QueryInterface(iid, out);
        app->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// ---- registration ----

// Wine's COM reads the classes of the machine only (HKEY_CLASSES_ROOT), not the user's
// Software\Classes; the tests run in a Wine prefix of their own, and remove the keys again.

void SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                          &handle, nullptr) == ERROR_SUCCESS) {
        ::RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(handle);
    }
}

// One function of an interface in the type library: HRESULT name(params...).
void AddFunction(ICreateTypeInfo* info, UINT index, const wchar_t* name,
                 std::vector<ELEMDESC> params) {
    FUNCDESC desc{};
    desc.memid = static_cast<MEMBERID>(0x60020000 + index);
    desc.funckind = FUNC_PUREVIRTUAL;
    desc.invkind = INVOKE_FUNC;
    desc.callconv = CC_STDCALL;
    desc.cParams = static_cast<SHORT>(params.size());
    desc.lprgelemdescParam = params.empty() ? nullptr : params.data();
    desc.elemdescFunc.tdesc.vt = VT_HRESULT;
    info->AddFuncDesc(index, &desc);
    std::vector<LPOLESTR> names{const_cast<LPOLESTR>(name)};
    static wchar_t argNames[4][4] = {L"a", L"b", L"c", L"d"};
    for (std::size_t i = 0; i < params.size(); ++i) {
        names.push_back(argNames[i]);
    }
    info->SetFuncAndParamNames(index, names.data(), static_cast<UINT>(names.size()));
}

ELEMDESC Param(VARTYPE vt, TYPEDESC* inner = nullptr, USHORT flags = PARAMFLAG_FIN) {
    ELEMDESC e{};
    e.tdesc.vt = vt;
    e.tdesc.lptdesc = inner;
    e.paramdesc.wParamFlags = flags;
    return e;
}

ICreateTypeInfo* NewInterface(ICreateTypeLib2* lib, const wchar_t* name, const IID& iid,
                              ITypeInfo* dispatch) {
    ICreateTypeInfo* info = nullptr;
    lib->CreateTypeInfo(const_cast<LPOLESTR>(name), TKIND_INTERFACE, &info);
    info->SetGuid(iid);
    info->SetTypeFlags(TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDUAL);
    HREFTYPE base = 0;
    info->AddRefTypeInfo(dispatch, &base);
    info->AddImplType(0, base);
    return info;
}

// The type library the universal marshaller reads: both interfaces, entry by entry.
bool WriteTypeLibrary(const std::wstring& path) {
    ITypeLib* stdole = nullptr;
    ITypeInfo* dispatch = nullptr;
    if (FAILED(::LoadTypeLib(L"stdole2.tlb", &stdole)) ||
        FAILED(stdole->GetTypeInfoOfGuid(IID_IDispatch, &dispatch))) {
        return false;
    }
    ICreateTypeLib2* lib = nullptr;
    if (FAILED(::CreateTypeLib2(SYS_WIN64, path.c_str(), &lib))) {
        return false;
    }
    lib->SetGuid(kLibId);
    lib->SetVersion(1, 0);
    lib->SetName(const_cast<LPOLESTR>(L"QuillstoneTestEngine"));

    ICreateTypeInfo* docs = NewInterface(lib, L"ISpssDocumentsTest", kIidDocuments, dispatch);
    UINT index = 0;
    for (; index < 6; ++index) {
        AddFunction(docs, index, (L"Reserved" + std::to_wstring(index + 7)).c_str(), {});
    }
    TYPEDESC dispatchType{};
    dispatchType.vt = VT_DISPATCH;
    AddFunction(docs, index, L"GetDataDoc",
                {Param(VT_I4), Param(VT_PTR, &dispatchType, PARAMFLAG_FOUT)});
    docs->LayOut();
    ITypeInfo* docsInfo = nullptr;
    docs->QueryInterface(IID_ITypeInfo, reinterpret_cast<void**>(&docsInfo));

    ICreateTypeInfo* app = NewInterface(lib, L"ISpssAppTest", kIidSpssApp, dispatch);
    HREFTYPE docsRef = 0;
    app->AddRefTypeInfo(docsInfo, &docsRef);
    TYPEDESC docsType{};
    docsType.vt = VT_USERDEFINED;
    docsType.hreftype = docsRef;
    TYPEDESC docsPointer{};
    docsPointer.vt = VT_PTR;
    docsPointer.lptdesc = &docsType;
    AddFunction(app, 0, L"Documents", {Param(VT_PTR, &docsPointer, PARAMFLAG_FOUT)});
    for (index = 1; index < 12; ++index) {
        AddFunction(app, index, (L"Reserved" + std::to_wstring(index + 7)).c_str(), {});
    }
    AddFunction(app, 12, L"OutputDoc", {Param(VT_PTR, &dispatchType, PARAMFLAG_FOUT)});
    AddFunction(app, 13, L"DesignerDoc", {Param(VT_PTR, &dispatchType, PARAMFLAG_FOUT)});
    AddFunction(app, 14, L"ExecuteCommands", {Param(VT_BSTR), Param(VT_BOOL)});
    const HRESULT laid = app->LayOut();
    const HRESULT saved = lib->SaveAllChanges();
    docsInfo->Release();
    docs->Release();
    app->Release();
    lib->Release();
    dispatch->Release();
    stdole->Release();
    return SUCCEEDED(laid) && SUCCEEDED(saved);
}

int Register(const std::wstring& dir) {
    const std::wstring library = dir + L"\\test-engine.tlb";
    if (!WriteTypeLibrary(library)) {
        return 1;
    }
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring clsid = Guid(kClsidSpssApplication);
    SetValue(std::wstring(kProgId) + L"\\CLSID", nullptr, clsid);
    SetValue(L"CLSID\\" + clsid + L"\\LocalServer32", nullptr,
             L"\"" + std::wstring(self) + L"\" \"" + dir + L"\"");
    SetValue(L"CLSID\\" + clsid + L"\\ProgID", nullptr, kProgId);
    for (const IID& iid : {kIidSpssApp, kIidDocuments}) {
        const std::wstring key = L"Interface\\" + Guid(iid);
        SetValue(key + L"\\ProxyStubClsid32", nullptr, Guid(kUniversalMarshaller));
        SetValue(key + L"\\TypeLib", nullptr, Guid(kLibId));
        SetValue(key + L"\\TypeLib", L"Version", L"1.0");
    }
    SetValue(L"TypeLib\\" + Guid(kLibId) + L"\\1.0\\0\\win64", nullptr, library);
    return 0;
}

int Unregister() {
    for (const std::wstring& key :
         {std::wstring(kProgId), L"CLSID\\" + Guid(kClsidSpssApplication),
          L"Interface\\" + Guid(kIidSpssApp), L"Interface\\" + Guid(kIidDocuments),
          L"TypeLib\\" + Guid(kLibId)}) {
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    }
    return 0;
}

// The active engine: in the running object table until DIR\quit appears (or two minutes pass).
// Ending it so, rather than killing it, leaves no stale entry behind in the system's tables.
int ServeActive() {
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    App* app = new App;
    DWORD rot = 0;
    if (FAILED(::RegisterActiveObject(static_cast<ISpssAppCom*>(app), kClsidSpssApplication,
                                      ACTIVEOBJECT_STRONG, &rot))) {
        return 1;
    }
    app->Release();
    std::ofstream(std::filesystem::path(g_dir + L"\\ready")) << "ready";
    // Two minutes at most, so that a test that died cannot leave it behind for good.
    for (int i = 0; i < 2400 && !std::filesystem::exists(g_dir + L"\\quit"); ++i) {
        ::Sleep(50);
    }
    ::RevokeActiveObject(rot, nullptr);
    ::CoUninitialize();
    return 0;
}

// Started by COM for one client: ends when its last object is gone.
int ServeInstances() {
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    g_lastGone = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    static Factory factory;
    DWORD cookie = 0;
    if (FAILED(::CoRegisterClassObject(kClsidSpssApplication, &factory, CLSCTX_LOCAL_SERVER,
                                       REGCLS_MULTIPLEUSE, &cookie))) {
        return 1;
    }
    ::WaitForSingleObject(g_lastGone, INFINITE);
    ::CoRevokeClassObject(cookie);
    ::CoUninitialize();
    return 0;
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    const std::wstring first = argc > 1 ? argv[1] : L"";
    if (first == L"/regserver" && argc > 2) {
        return Register(argv[2]);
    }
    if (first == L"/unregserver") {
        return Unregister();
    }
    if (first == L"/active" && argc > 2) {
        g_dir = argv[2];
        return ServeActive();
    }
    if (argc > 1) {
        g_dir = first;
        return ServeInstances();
    }
    return 2;
}
