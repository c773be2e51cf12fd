// The engine's application object on Windows: its automation server through COM. The
// worker's connection calls the early-bound table entries (ComInterfaces.h); the main
// thread's data-file query and the document members go by name through IDispatch. Texts
// are UTF-8 here and UTF-16 (BSTR) at the server.
#include "platform/SyntaxQuoted.h"
#include "platform/WinText.h"
#include "platform/automation/Apartment.h"
#include "platform/automation/Automation.h"
#include "platform/automation/ComInterfaces.h"
#include "platform/shell/Shell.h"

#include <oleauto.h>

#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

namespace qs::automation {

namespace {

using namespace com;

// Owns one reference to a COM object.
template <typename T> class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T* p) : m_p(p) {}
    ComRef(const ComRef& other) : m_p(other.m_p) {
        if (m_p != nullptr) {
            m_p->AddRef();
        }
    }
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (m_p != nullptr) {
            m_p->Release();
        }
    }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T** out() { return &m_p; } // only on an empty reference

private:
    T* m_p = nullptr;
};

std::string HresultText(HRESULT hr) {
    std::string text = SystemErrorText(static_cast<DWORD>(hr));
    if (text.rfind("error ", 0) == 0) { // the system has no text for it
        char code[40];
        std::snprintf(code, sizeof code, "Automation error 0x%08lX",
                      static_cast<unsigned long>(hr));
        text = code;
    }
    return text;
}

// A failed call as the error the callers know: the server's own text where it gave one.
[[noreturn]] void Fail(HRESULT hr, std::string description = {}) {
    if (description.empty()) {
        IErrorInfo* info = nullptr;
        if (::GetErrorInfo(0, &info) == S_OK && info != nullptr) {
            BSTR text = nullptr;
            if (SUCCEEDED(info->GetDescription(&text)) && text != nullptr) {
                description = Narrow(text);
            }
            ::SysFreeString(text);
            info->Release();
        }
    }
    // No engine registered in the running object table, or none installed under the ProgID.
    if (hr == MK_E_UNAVAILABLE || hr == CO_E_CLASSSTRING) {
        throw EAutomationError(kOperationUnavailable);
    }
    const std::string text = description.empty() ? HresultText(hr) : description;
    // The server was gone before the call reached it: nothing ran.
    if (hr == RPC_E_DISCONNECTED || hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE)) {
        throw EConnectionLost(text);
    }
    throw EAutomationError(text);
}

void Check(HRESULT hr) {
    if (FAILED(hr)) {
        Fail(hr);
    }
}

class Bstr {
public:
    explicit Bstr(const std::string& text) {
        const std::wstring wide = Widen(text);
        m_b = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }
    ~Bstr() { ::SysFreeString(m_b); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return m_b; }

private:
    BSTR m_b = nullptr;
};

class Variant {
public:
    Variant() { ::VariantInit(&v); }
    ~Variant() { ::VariantClear(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT v;
};

// Calls a member by name: a method (flags DISPATCH_METHOD) or a property put. Arguments
// are given in order; IDispatch takes them last first.
void CallByName(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args,
                VARIANT* result) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    Check(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    DISPID put = DISPID_PROPERTYPUT;
    if (flags == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    EXCEPINFO exception{};
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                                      &exception, nullptr);
    if (hr == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn != nullptr) {
            exception.pfnDeferredFillIn(&exception);
        }
        const std::string description =
            exception.bstrDescription != nullptr ? Narrow(exception.bstrDescription) : "";
        const HRESULT code = exception.scode != 0 ? exception.scode : hr;
        ::SysFreeString(exception.bstrSource);
        ::SysFreeString(exception.bstrDescription);
        ::SysFreeString(exception.bstrHelpFile);
        Fail(code, description);
    }
    Check(hr);
}

std::string CallForText(IDispatch* object, const wchar_t* name) {
    Variant result;
    CallByName(object, name, DISPATCH_METHOD, {}, &result.v);
    if (result.v.vt == VT_EMPTY || result.v.vt == VT_NULL) {
        return {};
    }
    Check(::VariantChangeType(&result.v, &result.v, 0, VT_BSTR));
    return result.v.bstrVal != nullptr ? Narrow(result.v.bstrVal) : std::string();
}

ComRef<IDispatch> CallForObject(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args) {
    Variant result;
    CallByName(object, name, DISPATCH_METHOD, std::move(args), &result.v);
    if (result.v.vt != VT_DISPATCH || result.v.pdispVal == nullptr) {
        throw EAutomationError(Narrow(name) + " gave no object");
    }
    result.v.pdispVal->AddRef();
    return ComRef<IDispatch>(result.v.pdispVal);
}

class ComDocument : public ISpssDocument {
public:
    ComDocument(ComRef<IDispatch> document, ComRef<ISpssAppCom> app)
        : m_document(std::move(document)), m_app(std::move(app)) {}

    void SetVisible(bool visible) override {
        VARIANT value;
        value.vt = VT_BOOL;
        value.boolVal = visible ? VARIANT_TRUE : VARIANT_FALSE;
        CallByName(m_document.get(), L"Visible", DISPATCH_PROPERTYPUT, {value}, nullptr);
    }
    void SetWindowState(std::int32_t state) override {
        LONG held = state; // the server takes it by reference
        VARIANT value;
        value.vt = VT_I4 | VT_BYREF;
        value.plVal = &held;
        CallByName(m_document.get(), L"WindowState", DISPATCH_PROPERTYPUT, {value}, nullptr);
    }
    std::string GetBannerText() override { return CallForText(m_document.get(), L"GetBannerText"); }
    std::string GetDocumentPath() override {
        return CallForText(m_document.get(), L"GetDocumentPath");
    }
    // A save the user asked for, to a path the user chose.
    void SaveAs(const std::string& path) override {
        Bstr name(path);
        BSTR held = name.get();
        VARIANT value;
        value.vt = VT_BSTR | VT_BYREF;
        value.pbstrVal = &held;
        CallByName(m_document.get(), L"SaveAs", DISPATCH_METHOD, {value}, nullptr);
    }
    // The engine saves the active dataset's dictionary, without its cases, to a new file of
    // ours: TEMPORARY keeps the selection from the dataset, and SAVE ends it. The user's
    // own file is never written. An empty file afterwards means there was no dataset.
    std::string SaveDictionaryCopy() override {
        const TempFileResult made = CreateTempFile("QSD");
        if (made.path.empty()) {
            throw EAutomationError("Cannot make a temporary file: " + made.message);
        }
        const std::filesystem::path file(Widen(made.path));
        try {
            Execute("TEMPORARY.\r\nSELECT IF 0.\r\nSAVE OUTFILE=" + SyntaxQuoted(made.path) +
                    ".\r\n");
        } catch (...) {
            std::error_code ignored;
            std::filesystem::remove(file, ignored);
            throw;
        }
        std::error_code error;
        if (std::filesystem::file_size(file, error) != 0 && !error) {
            return made.path;
        }
        std::filesystem::remove(file, error);
        // A SAVE that failed would leave our TEMPORARY and its empty selection waiting for
        // the user's next procedure, which would then see no cases: a procedure ends them.
        Execute("EXECUTE.\r\n");
        return {};
    }

private:
    void Execute(const std::string& commands) {
        Bstr text(commands);
        Check(m_app->ExecuteCommands(text.get(), VARIANT_TRUE));
    }

    ComRef<IDispatch> m_document;
    ComRef<ISpssAppCom> m_app; // for the dictionary copy
};

class ComDocuments : public ISpssDocuments {
public:
    ComDocuments(ComRef<ISpssDocumentsCom> early, ComRef<IDispatch> byName, ComRef<ISpssAppCom> app)
        : m_early(std::move(early)), m_byName(std::move(byName)), m_app(std::move(app)) {}

    std::unique_ptr<ISpssDocument> GetDataDoc(std::int32_t index) override {
        if (m_early.get() == nullptr) {
            VARIANT value;
            value.vt = VT_I4;
            value.lVal = index;
            return std::make_unique<ComDocument>(
                CallForObject(m_byName.get(), L"GetDataDoc", {value}), m_app);
        }
        ComRef<IDispatch> document;
        Check(m_early->GetDataDoc(index, document.out()));
        if (document.get() == nullptr) {
            throw EAutomationError("the engine gave no data document");
        }
        return std::make_unique<ComDocument>(document, m_app);
    }

private:
    ComRef<ISpssDocumentsCom> m_early;
    ComRef<IDispatch> m_byName;
    ComRef<ISpssAppCom> m_app;
};

class ComSpssApp : public ISpssApp {
public:
    ComSpssApp(ComRef<ISpssAppCom> app, bool byName) : m_app(std::move(app)), m_byName(byName) {}

    void ExecuteCommands(const std::string& commands, bool wait) override {
        Bstr text(commands);
        Check(m_app->ExecuteCommands(text.get(), wait ? VARIANT_TRUE : VARIANT_FALSE));
    }
    std::unique_ptr<ISpssDocuments> Documents() override {
        if (m_byName) {
            return std::make_unique<ComDocuments>(
                ComRef<ISpssDocumentsCom>(), CallForObject(m_app.get(), L"Documents", {}), m_app);
        }
        ComRef<ISpssDocumentsCom> documents;
        Check(m_app->Documents(documents.out()));
        if (documents.get() == nullptr) {
            throw EAutomationError("the engine gave no documents");
        }
        return std::make_unique<ComDocuments>(documents, ComRef<IDispatch>(), m_app);
    }
    std::unique_ptr<ISpssDocument> GetOutputDoc() override {
        return Accessor(&ISpssAppCom::OutputDoc);
    }
    std::unique_ptr<ISpssDocument> GetDesignerDoc() override {
        return Accessor(&ISpssAppCom::DesignerDoc);
    }

private:
    std::unique_ptr<ISpssDocument>
    Accessor(HRESULT (STDMETHODCALLTYPE ISpssAppCom::*entry)(IDispatch**)) {
        ComRef<IDispatch> document;
        Check((m_app.get()->*entry)(document.out()));
        if (document.get() == nullptr) {
            throw EAutomationError("the engine gave no document");
        }
        return std::make_unique<ComDocument>(document, m_app);
    }

    ComRef<ISpssAppCom> m_app;
    bool m_byName;
};

// From any interface of the server's application object to the application interface.
std::unique_ptr<ISpssApp> AsApp(IUnknown* object, bool byName) {
    ComRef<IDispatch> dispatch;
    Check(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.out())));
    ComRef<ISpssAppCom> app;
    Check(dispatch->QueryInterface(kIidSpssApp, reinterpret_cast<void**>(app.out())));
    return std::make_unique<ComSpssApp>(app, byName);
}

} // namespace

std::unique_ptr<ISpssApp> GetActiveSpssApp(Binding binding) {
    CLSID id{};
    Check(::CLSIDFromProgID(kProgId, &id));
    ComRef<IUnknown> active;
    Check(::GetActiveObject(id, nullptr, active.out()));
    return AsApp(active.get(), binding == Binding::ByName);
}

std::unique_ptr<ISpssApp> CoSPSSApplication::Create() {
    ComRef<IUnknown> created;
    Check(::CoCreateInstance(kClsidSpssApplication, nullptr, kClassContext, IID_IUnknown,
                             reinterpret_cast<void**>(created.out())));
    ComRef<ISpssAppCom> app;
    Check(created->QueryInterface(kIidSpssApp, reinterpret_cast<void**>(app.out())));
    return std::make_unique<ComSpssApp>(app, false);
}

ThreadApartment::ThreadApartment(Kind kind) {
    const HRESULT hr = ::CoInitializeEx(nullptr, kind == Kind::Multi ? COINIT_MULTITHREADED
                                                                     : COINIT_APARTMENTTHREADED);
    m_joined = SUCCEEDED(hr);
    // A thread already in an apartment of the other kind can still make its calls.
    m_usable = m_joined || hr == RPC_E_CHANGED_MODE;
}

ThreadApartment::~ThreadApartment() {
    if (m_joined) {
        ::CoUninitialize();
    }
}

void EnsureSingleThreadApartment() {
    // Joined once per thread, left when the thread ends.
    thread_local ThreadApartment apartment(ThreadApartment::Kind::Single);
}

} // namespace qs::automation
