#pragma once
#include <ole2.h>
#include "core/SkinDefs.h"

namespace SkinUI {

// Enumerates the container's one object: handed out once per pass. Over no object it is
// empty. Deletes itself at a count of zero.
class SKINUI_API CActiveXEnum : public IEnumUnknown {
public:
    // pUnk may be null; otherwise it is referenced until the enumerator goes.
    explicit CActiveXEnum(IUnknown* pUnk);
    CActiveXEnum(const CActiveXEnum&) = delete;
    CActiveXEnum& operator=(const CActiveXEnum&) = delete;

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObject) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    // IEnumUnknown
    STDMETHOD(Next)(ULONG celt, IUnknown** rgelt, ULONG* pceltFetched) override;
    STDMETHOD(Skip)(ULONG celt) override;
    STDMETHOD(Reset)() override;
    STDMETHOD(Clone)(IEnumUnknown** ppenum) override;

protected:
    // Deleted through Release only.
    virtual ~CActiveXEnum();

    ULONG m_iPos;
    LONG m_dwRef;
    IUnknown* m_pUnk;
};

} // namespace SkinUI
