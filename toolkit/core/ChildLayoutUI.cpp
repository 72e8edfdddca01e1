#include <windows.h>
#include <wchar.h>
#include "core/ChildLayoutUI.h"
#include "core/DialogBuilder.h"

namespace SkinUI {

namespace {

// The files the enclosing child layouts are building right now (the UI is one thread). A
// child file can only come back to one of them through a cycle, which would never end.
const int kMaxNesting = 8;
LPCTSTR g_building[kMaxNesting];
int g_nBuilding = 0;

bool IsBeingBuilt(LPCTSTR pstrFile)
{
    for (int i = 0; i < g_nBuilding; i++) {
        if (_wcsicmp(g_building[i], pstrFile) == 0) return true;
    }
    return false;
}

} // namespace

CChildLayoutUI::CChildLayoutUI() {}

LPCTSTR CChildLayoutUI::GetClass() const
{
    return L"ChildLayoutUI";
}

LPVOID CChildLayoutUI::GetInterface(LPCTSTR pstrName)
{
    // Not a container to the builder: elements written inside it are not added.
    if (wcscmp(pstrName, L"ChildLayout") == 0) return static_cast<CChildLayoutUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

void CChildLayoutUI::SetChildLayoutXML(LPCTSTR pXML)
{
    m_pstrXMLFile = pXML;
}

CSkinString CChildLayoutUI::GetChildLayoutXML() const
{
    return m_pstrXMLFile;
}

void CChildLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"xmlfile") == 0)
        SetChildLayoutXML(pstrValue);
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CChildLayoutUI::Init()
{
    // A second Init (the layout added to a live tree again) builds afresh, not twice.
    if (GetCount() > 0) RemoveAll();
    if (m_pstrXMLFile.IsEmpty()) return;
    if (g_nBuilding >= kMaxNesting || IsBeingBuilt(m_pstrXMLFile.GetData())) return;

    // Nested child layouts build while the root is added (their Init runs then), so the
    // file stays marked until the Add is done.
    const CSkinString sFile = m_pstrXMLFile;
    g_building[g_nBuilding++] = sFile.GetData();
    CDialogBuilder builder;
    CControlUI* pChild = builder.Create(sFile.GetData(), NULL, NULL, m_pManager, NULL);
    bool bAdded = false;
    if (pChild != NULL) {
        bAdded = Add(pChild);
        if (!bAdded) delete pChild;
    }
    --g_nBuilding;
    if (!bAdded) RemoveAll();
}

} // namespace SkinUI
