#pragma once
// Event-sink maps: a window that holds ActiveX controls routes their events to members.
//
//   class MyDlg : public CDialog {
//     void OnTitleChange(BSTR title);
//     DECLARE_EVENTSINK_MAP()
//   };
//   BEGIN_EVENTSINK_MAP(MyDlg, CDialog)
//     ON_EVENT(MyDlg, 1000, 113, &MyDlg::OnTitleChange)
//   END_EVENTSINK_MAP()
//
// The member's parameter types say how each argument is taken from the event's DISPPARAMS
// (which hold the arguments last to first): IDispatch*, IDispatch**, VARIANT*, VARIANT_BOOL*,
// BSTR, long and DWORD. Arguments passed by reference are followed; a pointer the event does
// not carry comes as null.
#include <windows.h>
#include <oleauto.h>

#include <utility>

template <typename T>
struct EventArg;

template <>
struct EventArg<VARIANT*> {
    static VARIANT* From(VARIANT& v) { return v.vt == (VT_BYREF | VT_VARIANT) ? v.pvarVal : &v; }
};
template <>
struct EventArg<IDispatch*> {
    static IDispatch* From(VARIANT& v)
    {
        const VARIANT& value = *EventArg<VARIANT*>::From(v);
        if (value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN) return value.pdispVal;
        if (value.vt == (VT_BYREF | VT_DISPATCH)) return value.ppdispVal ? *value.ppdispVal : nullptr;
        return nullptr;
    }
};
template <>
struct EventArg<IDispatch**> {
    static IDispatch** From(VARIANT& v)
    {
        VARIANT& value = *EventArg<VARIANT*>::From(v);
        return value.vt == (VT_BYREF | VT_DISPATCH) ? value.ppdispVal : nullptr;
    }
};
template <>
struct EventArg<VARIANT_BOOL*> {
    static VARIANT_BOOL* From(VARIANT& v)
    {
        VARIANT& value = *EventArg<VARIANT*>::From(v);
        return value.vt == (VT_BYREF | VT_BOOL) ? value.pboolVal : nullptr;
    }
};
template <>
struct EventArg<BSTR> {
    static BSTR From(VARIANT& v)
    {
        const VARIANT& value = *EventArg<VARIANT*>::From(v);
        if (value.vt == VT_BSTR) return value.bstrVal;
        if (value.vt == (VT_BYREF | VT_BSTR)) return value.pbstrVal ? *value.pbstrVal : nullptr;
        return nullptr;
    }
};
template <>
struct EventArg<long> {
    static long From(VARIANT& v)
    {
        VARIANT converted;
        ::VariantInit(&converted);
        if (FAILED(::VariantChangeType(&converted, EventArg<VARIANT*>::From(v), 0, VT_I4))) return 0;
        return converted.lVal;
    }
};
template <>
struct EventArg<unsigned long> {
    static unsigned long From(VARIANT& v) { return static_cast<unsigned long>(EventArg<long>::From(v)); }
};

template <class C, class... A, size_t... I>
void AfxCallEvent(C* self, void (C::*member)(A...), DISPPARAMS* params, std::index_sequence<I...>)
{
    (self->*member)(EventArg<A>::From(params->rgvarg[params->cArgs - 1 - I])...);
}

// Runs `member` with the event's arguments; FALSE when the event carries too few.
template <class C, class... A>
BOOL AfxInvokeEvent(C* self, void (C::*member)(A...), DISPPARAMS* params)
{
    if (sizeof...(A) > 0 && (!params || !params->rgvarg || params->cArgs < sizeof...(A))) return FALSE;
    AfxCallEvent(self, member, params, std::index_sequence_for<A...>{});
    return TRUE;
}

#define DECLARE_EVENTSINK_MAP()                                                                                        \
public:                                                                                                                \
    BOOL OnEventSink(UINT id_, DISPID dispid_, DISPPARAMS* params_) override;

#define BEGIN_EVENTSINK_MAP(theClass, baseClass)                                                                       \
    BOOL theClass::OnEventSink(UINT id_, DISPID dispid_, DISPPARAMS* params_)                                          \
    {                                                                                                                  \
        using EventSinkBase_ = baseClass;

#define ON_EVENT(theClass, id, dispid, memberFxn)                                                                      \
    if (id_ == static_cast<UINT>(id) && dispid_ == static_cast<DISPID>(dispid))                                        \
        return AfxInvokeEvent<theClass>(this, memberFxn, params_);

#define END_EVENTSINK_MAP()                                                                                            \
    return EventSinkBase_::OnEventSink(id_, dispid_, params_);                                                         \
    }
