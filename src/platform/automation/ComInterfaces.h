// The engine's automation server as its clients see it without a type library: the class
// and interface ids, and the early-bound table entries we call, declared by position.
// Entries are counted from 0: IUnknown 0-2, IDispatch 3-6. Slots whose member we never
// call are placeholders that keep the positions right; their signatures are not known
// and must never be called (an object of ours answers them with E_NOTIMPL). The out-parameter and
// argument types of the entries we call are our reading of the server's behaviour:
//   application  7  HRESULT Documents(ISpssDocumentsCom** documents)
//               19  HRESULT OutputDoc(IDispatch** document)      (document kind 1)
//               20  HRESULT DesignerDoc(IDispatch** document)    (document kind 2)
//               21  HRESULT ExecuteCommands(BSTR text, VARIANT_BOOL wait)
//   documents   13  HRESULT GetDataDoc(int index, IDispatch** document)
// Windows only.
#pragma once

#include <oaidl.h>
#include <windows.h>

namespace qs::automation::com {

// The creator class and the application interface.
inline constexpr CLSID kClsidSpssApplication = {
    0x56A66A20, 0xF8D7, 0x11CE, {0xAF, 0x2E, 0x00, 0x00, 0xC0, 0x7A, 0xBC, 0x0D}};
inline constexpr IID kIidSpssApp = {
    0xD5AC05E0, 0xF84C, 0x11CE, {0xAF, 0x2E, 0x00, 0x00, 0xC0, 0x7A, 0xBC, 0x0D}};
inline constexpr const wchar_t* kProgId = L"SPSS.Application";
// CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER
inline constexpr DWORD kClassContext = 5;

// The documents collection. Its interface id is not ours to know: the pointer entry 7
// gives is used as it comes, without a query.
struct ISpssDocumentsCom : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Reserved7() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Reserved8() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Reserved9() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Reserved10() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Reserved11() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Reserved12() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE GetDataDoc(int index, IDispatch** document) = 0; // 13
};

struct ISpssAppCom : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Documents(ISpssDocumentsCom** documents) = 0; // 7
    virtual HRESULT STDMETHODCALLTYPE Reserved8() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Reserved9() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Reserved10() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Reserved11() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Reserved12() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Reserved13() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Reserved14() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Reserved15() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Reserved16() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Reserved17() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Reserved18() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE OutputDoc(IDispatch** document) = 0;               // 19
    virtual HRESULT STDMETHODCALLTYPE DesignerDoc(IDispatch** document) = 0;             // 20
    virtual HRESULT STDMETHODCALLTYPE ExecuteCommands(BSTR text, VARIANT_BOOL wait) = 0; // 21
};

} // namespace qs::automation::com
