#include <windows.h>
#include <wchar.h>
#include "controls/ActiveXUI.h"

namespace SkinUI {

CActiveXUI::CActiveXUI()
    : m_clsid(CLSID_NULL), m_bCreated(false), m_bDelayCreate(true), m_pUnk(NULL), m_pControl(NULL),
      m_hwndHost(NULL), m_hModule(NULL), m_bFilterAdded(false)
{
}

CActiveXUI::~CActiveXUI()
{
    CActiveXUI::ReleaseControl();
}

LPCTSTR CActiveXUI::GetClass() const
{
    return L"ActiveXUI";
}

LPVOID CActiveXUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"ActiveX") == 0) return static_cast<CActiveXUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

HWND CActiveXUI::GetHostWindow() const
{
    return m_hwndHost;
}

bool CActiveXUI::IsDelayCreate() const
{
    return m_bDelayCreate;
}

void CActiveXUI::SetDelayCreate(bool bDelayCreate)
{
    m_bDelayCreate = bDelayCreate;
}

bool CActiveXUI::CreateControl(LPCTSTR /*pstrCLSID*/)
{
    return false;
}

bool CActiveXUI::CreateControl(const CLSID clsid)
{
    if (IsEqualCLSID(clsid, CLSID_NULL)) return false;
    m_bCreated = false;
    m_clsid = clsid;
    return true;
}

HRESULT CActiveXUI::GetControl(const IID iid, LPVOID* ppRet)
{
    if (ppRet == NULL) return E_POINTER;
    if (m_pUnk == NULL) return E_PENDING;
    return m_pUnk->QueryInterface(iid, ppRet);
}

CLSID CActiveXUI::GetClisd() const
{
    return m_clsid;
}

CSkinString CActiveXUI::GetModuleName() const
{
    return m_sModuleName;
}

void CActiveXUI::SetModuleName(LPCTSTR pstrText)
{
    m_sModuleName = pstrText;
}

void CActiveXUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
}

void CActiveXUI::SetInternVisible(bool bVisible)
{
    CControlUI::SetInternVisible(bVisible);
}

void CActiveXUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
}

void CActiveXUI::DoPaint(HDC /*hDC*/, const RECT& /*rcPaint*/) {}

void CActiveXUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    CControlUI::SetAttribute(pstrName, pstrValue);
}

LRESULT CActiveXUI::MessageHandler(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, bool& /*bHandled*/)
{
    return 0;
}

void CActiveXUI::ReleaseControl()
{
    m_hwndHost = NULL;
}

bool CActiveXUI::DoCreateControl()
{
    ReleaseControl();
    m_bCreated = true;
    return false;
}

IUnknown* CActiveXUI::CreateFromModule()
{
    return NULL;
}

HRESULT CActiveXUI::CreateHostWindow()
{
    return E_NOTIMPL;
}

RECT CActiveXUI::GetObjectRect() const
{
    return m_rcItem;
}

} // namespace SkinUI
