#include "core/DialogBuilder.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "core/AttributeValue.h"
#include "core/ContainerUI.h"
#include "core/ControlUI.h"
#include "core/PaintManager.h"
#include "core/RenderEngine.h"
#include "core/Shadow.h"

namespace SkinUI {

namespace {

// "Include" values are read into buffers of this many units, terminator included.
const SIZE_T kIncludeValueChars = 500;

bool IsTrue(LPCTSTR pstrValue)
{
    return wcscmp(pstrValue, L"true") == 0;
}

// The identity under which a document is remembered while it is being built: file names
// ignoring case, resource ids with their type.
CSkinString SourceKey(STRINGorID xml, LPCTSTR type)
{
    CSkinString sKey;
    if (IS_INTRESOURCE(xml.m_lpstr)) {
        sKey.Format(L"#%u:", static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(xml.m_lpstr)));
        if (type != NULL && IS_INTRESOURCE(type)) {
            CSkinString sType;
            sType.Format(L"#%u", static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(type)));
            sKey += sType;
        } else if (type != NULL) {
            sKey += type;
        }
        return sKey;
    }
    if (xml.m_lpstr[0] == L'<') return sKey;
    sKey = xml.m_lpstr;
    sKey.Replace(L"/", L"\\");
    sKey.MakeLower();
    return sKey;
}

} // namespace

CDialogBuilder::CDialogBuilder()
    : m_pCallback(NULL), m_pstrtype(NULL), m_pOuter(NULL), m_nDepth(0), m_nOwnIncludeBuilds(0),
      m_pIncludeBuilds(&m_nOwnIncludeBuilds)
{
}

CControlUI* CDialogBuilder::Create(STRINGorID xml, LPCTSTR type, IDialogBuilderCallback* pCallback,
                                   CPaintManagerUI* pManager, CControlUI* pParent)
{
    if (!LoadDocument(xml, type)) return NULL;
    return Create(pCallback, pManager, pParent);
}

bool CDialogBuilder::LoadDocument(STRINGorID xml, LPCTSTR type)
{
    m_sSource = SourceKey(xml, type);
    if (IS_INTRESOURCE(xml.m_lpstr)) {
        // The type and callback of a resource document also serve its includes.
        m_pstrtype = type;
        DWORD dwSize = 0;
        BYTE* pData = CRenderEngine::LoadResourceBytes(xml.m_lpstr, type, &dwSize);
        if (pData == NULL) return false;
        bool bLoaded = m_xml.LoadFromMem(pData, dwSize, XMLFILE_ENCODING_UTF8);
        delete[] pData;
        return bLoaded;
    }
    if (xml.m_lpstr[0] == L'<') return m_xml.Load(xml.m_lpstr);

    DWORD dwSize = 0;
    BYTE* pData = NULL;
    if (!CPaintManagerUI::GetResourceZip().IsEmpty()) {
        pData = CRenderEngine::LoadZipBytes(xml.m_lpstr, &dwSize);
    } else {
        CSkinString sFile = CPaintManagerUI::GetResourcePath();
        sFile += xml.m_lpstr;
        pData = CRenderEngine::LoadFileBytes(sFile.GetData(), &dwSize);
    }
    if (pData == NULL) return false;
    bool bLoaded = m_xml.LoadFromMem(pData, dwSize, XMLFILE_ENCODING_UTF8);
    delete[] pData;
    return bLoaded;
}

CControlUI* CDialogBuilder::Create(IDialogBuilderCallback* pCallback, CPaintManagerUI* pManager, CControlUI* pParent)
{
    // 1. The document's root is a wrapper, never a control.
    m_pCallback = pCallback;
    CMarkupNode root = m_xml.GetRoot();
    if (!root.IsValid()) return NULL;

    if (pManager != NULL) {
        // 2. Shared resources first, so that every control below finds them.
        RegisterResources(root, pManager);
        // 3. Window settings need the native window.
        if (wcscmp(root.GetName(), L"Window") == 0 && pManager->GetPaintWindow() != NULL)
            ApplyWindowAttributes(root, pManager);
    }
    // 4. The controls.
    return _Parse(&root, pParent, pManager);
}

CMarkup* CDialogBuilder::GetMarkup()
{
    return &m_xml;
}

void CDialogBuilder::GetLastErrorMessage(LPTSTR pstrMessage, SIZE_T cchMax) const
{
    m_xml.GetLastErrorMessage(pstrMessage, cchMax);
}

void CDialogBuilder::GetLastErrorLocation(LPTSTR pstrSource, SIZE_T cchMax) const
{
    m_xml.GetLastErrorLocation(pstrSource, cchMax);
}

void CDialogBuilder::RegisterResources(CMarkupNode& root, CPaintManagerUI* pManager)
{
    for (CMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        LPCTSTR pstrClass = node.GetName();
        int nAttributes = node.GetAttributeCount();
        if (wcscmp(pstrClass, L"Image") == 0) {
            LPCTSTR pImageName = NULL;
            LPCTSTR pImageResType = NULL;
            DWORD mask = 0;
            for (int i = 0; i < nAttributes; ++i) {
                LPCTSTR pstrName = node.GetAttributeName(i);
                LPCTSTR pstrValue = node.GetAttributeValue(i);
                if (wcscmp(pstrName, L"name") == 0)
                    pImageName = pstrValue;
                else if (wcscmp(pstrName, L"restype") == 0)
                    pImageResType = pstrValue;
                else if (wcscmp(pstrName, L"mask") == 0)
                    mask = ParseAttributeColor(pstrValue);
            }
            if (pImageName != NULL && *pImageName != 0) pManager->AddImage(pImageName, pImageResType, mask);
        } else if (wcscmp(pstrClass, L"Font") == 0) {
            LPCTSTR pFontName = NULL;
            int size = 12;
            bool bold = false, underline = false, italic = false, defaultfont = false;
            for (int i = 0; i < nAttributes; ++i) {
                LPCTSTR pstrName = node.GetAttributeName(i);
                LPCTSTR pstrValue = node.GetAttributeValue(i);
                if (wcscmp(pstrName, L"name") == 0)
                    pFontName = pstrValue;
                else if (wcscmp(pstrName, L"size") == 0)
                    size = static_cast<int>(wcstol(pstrValue, NULL, 10));
                else if (wcscmp(pstrName, L"bold") == 0)
                    bold = IsTrue(pstrValue);
                else if (wcscmp(pstrName, L"underline") == 0)
                    underline = IsTrue(pstrValue);
                else if (wcscmp(pstrName, L"italic") == 0)
                    italic = IsTrue(pstrValue);
                else if (wcscmp(pstrName, L"default") == 0)
                    defaultfont = IsTrue(pstrValue);
            }
            if (pFontName != NULL && *pFontName != 0) {
                pManager->AddFont(pFontName, size, bold, underline, italic);
                if (defaultfont) pManager->SetDefaultFont(pFontName, size, bold, underline, italic);
            }
        } else if (wcscmp(pstrClass, L"Default") == 0) {
            LPCTSTR pControlName = NULL;
            LPCTSTR pControlValue = NULL;
            for (int i = 0; i < nAttributes; ++i) {
                LPCTSTR pstrName = node.GetAttributeName(i);
                LPCTSTR pstrValue = node.GetAttributeValue(i);
                if (wcscmp(pstrName, L"name") == 0)
                    pControlName = pstrValue;
                else if (wcscmp(pstrName, L"value") == 0)
                    pControlValue = pstrValue;
            }
            if (pControlName != NULL && *pControlName != 0)
                pManager->AddDefaultAttributeList(pControlName, pControlValue != NULL ? pControlValue : L"");
        }
    }
}

void CDialogBuilder::ApplyWindowAttributes(CMarkupNode& root, CPaintManagerUI* pManager)
{
    CShadowUI* pShadow = pManager->GetShadow();
    int nAttributes = root.GetAttributeCount();
    for (int i = 0; i < nAttributes; ++i) {
        LPCTSTR pstrName = root.GetAttributeName(i);
        LPCTSTR pstrValue = root.GetAttributeValue(i);
        if (wcscmp(pstrName, L"size") == 0) {
            SIZE sz = ParseAttributeSize(pstrValue);
            pManager->SetInitSize(sz.cx, sz.cy);
        } else if (wcscmp(pstrName, L"sizebox") == 0) {
            pManager->SetSizeBox(ParseAttributeRect(pstrValue));
        } else if (wcscmp(pstrName, L"caption") == 0) {
            pManager->SetCaptionRect(ParseAttributeRect(pstrValue));
        } else if (wcscmp(pstrName, L"roundcorner") == 0) {
            SIZE sz = ParseAttributeSize(pstrValue);
            pManager->SetRoundCorner(sz.cx, sz.cy);
        } else if (wcscmp(pstrName, L"mininfo") == 0) {
            SIZE sz = ParseAttributeSize(pstrValue);
            pManager->SetMinInfo(sz.cx, sz.cy);
        } else if (wcscmp(pstrName, L"maxinfo") == 0) {
            SIZE sz = ParseAttributeSize(pstrValue);
            pManager->SetMaxInfo(sz.cx, sz.cy);
        } else if (wcscmp(pstrName, L"alpha") == 0) {
            pManager->SetTransparent(_wtoi(pstrValue));
        } else if (wcscmp(pstrName, L"bktrans") == 0) {
            pManager->SetUseLayeredWindow(IsTrue(pstrValue));
        } else if (wcscmp(pstrName, L"gdiplustext") == 0) {
            pManager->SetUseGdiplusText(IsTrue(pstrValue));
        } else if (wcscmp(pstrName, L"richeditcorner") == 0) {
            pManager->SetRichEditCorner(ParseAttributeRect(pstrValue));
        } else if (wcscmp(pstrName, L"disabledfontcolor") == 0) {
            pManager->SetDefaultDisabledColor(ParseAttributeColor(pstrValue));
        } else if (wcscmp(pstrName, L"defaultfontcolor") == 0) {
            pManager->SetDefaultFontColor(ParseAttributeColor(pstrValue));
        } else if (wcscmp(pstrName, L"linkfontcolor") == 0) {
            pManager->SetDefaultLinkFontColor(ParseAttributeColor(pstrValue));
        } else if (wcscmp(pstrName, L"linkhoverfontcolor") == 0) {
            pManager->SetDefaultLinkHoverFontColor(ParseAttributeColor(pstrValue));
        } else if (wcscmp(pstrName, L"selectedcolor") == 0) {
            pManager->SetDefaultSelectedBkColor(ParseAttributeColor(pstrValue));
        } else if (wcscmp(pstrName, L"shadowsize") == 0) {
            pShadow->SetSize(_wtoi(pstrValue));
        } else if (wcscmp(pstrName, L"shadowsharpness") == 0) {
            pShadow->SetSharpness(static_cast<unsigned int>(_wtoi(pstrValue)));
        } else if (wcscmp(pstrName, L"shadowdarkness") == 0) {
            pShadow->SetDarkness(static_cast<unsigned int>(_wtoi(pstrValue)));
        } else if (wcscmp(pstrName, L"shadowposition") == 0) {
            SIZE sz = ParseAttributeSize(pstrValue);
            pShadow->SetPosition(sz.cx, sz.cy);
        } else if (wcscmp(pstrName, L"shadowcolor") == 0) {
            pShadow->SetColor(ParseAttributeColor(pstrValue));
        } else if (wcscmp(pstrName, L"shadowcorner") == 0) {
            pShadow->SetShadowCorner(ParseAttributeRect(pstrValue));
        } else if (wcscmp(pstrName, L"shadowimage") == 0) {
            pShadow->SetImage(pstrValue);
        } else if (wcscmp(pstrName, L"showshadow") == 0) {
            pShadow->ShowShadow(IsTrue(pstrValue));
        }
    }
}

CControlUI* CDialogBuilder::CreateFromName(LPCTSTR pstrClass)
{
    // The toolkit's own names, then the plug-ins in load order, then the window.
    int nCount = 0;
    const SkinControlEntry* pTable = GetSkinControlTable(&nCount);
    for (int i = 0; i < nCount; ++i) {
        if (wcscmp(pTable[i].pstrName, pstrClass) == 0) return pTable[i].pfnCreate();
    }
    CStdPtrArray* pPlugins = CPaintManagerUI::GetPlugins();
    for (int i = 0; i < pPlugins->GetSize(); ++i) {
        LPCREATECONTROL pfnCreate = reinterpret_cast<LPCREATECONTROL>(pPlugins->GetAt(i));
        if (pfnCreate == NULL) continue;
        CControlUI* pControl = pfnCreate(pstrClass);
        if (pControl != NULL) return pControl;
    }
    if (m_pCallback != NULL) return m_pCallback->CreateControl(pstrClass);
    return NULL;
}

void CDialogBuilder::ApplyAttributes(CMarkupNode& node, CControlUI* pControl)
{
    // In document order: a later attribute overrides an earlier one and the default list.
    int nAttributes = node.GetAttributeCount();
    for (int i = 0; i < nAttributes; ++i) pControl->SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
}

void CDialogBuilder::Configure(CMarkupNode& node, CControlUI* pControl, CPaintManagerUI* pManager)
{
    // The manager's default list for the element name, then the element's own attributes.
    if (pManager != NULL) {
        pControl->SetManager(pManager, NULL, false);
        LPCTSTR pDefaultAttributes = pManager->GetDefaultAttributeList(node.GetName());
        if (pDefaultAttributes != NULL) pControl->ApplyAttributeList(pDefaultAttributes);
    }
    ApplyAttributes(node, pControl);
    if (pManager != NULL) pControl->SetManager(NULL, NULL, false);
}

bool CDialogBuilder::IsBuilding(const CSkinString& sSource) const
{
    for (const CDialogBuilder* p = this; p != NULL; p = p->m_pOuter) {
        if (!p->m_sSource.IsEmpty() && p->m_sSource == sSource.GetData()) return true;
    }
    return false;
}

void CDialogBuilder::BuildInclude(CMarkupNode& node, CControlUI* pParent, CPaintManagerUI* pManager)
{
    if (!node.HasAttributes()) return;
    // Terminated copies: the values may be longer than the buffers.
    wchar_t szValue[kIncludeValueChars] = { 0 };
    int count = 1;
    if (node.GetAttributeValue(L"count", szValue, kIncludeValueChars)) count = _wtoi(szValue);
    szValue[0] = 0;
    if (!node.GetAttributeValue(L"source", szValue, kIncludeValueChars)) return;

    // A document that includes itself, directly or through others, would never end.
    if (m_nDepth + 1 > MAX_INCLUDE_DEPTH) return;
    STRINGorID source(szValue);
    if (m_pstrtype != NULL) source = STRINGorID(static_cast<UINT>(_wtoi(szValue)));
    if (IsBuilding(SourceKey(source, m_pstrtype))) return;

    for (int i = 0; i < count; ++i) {
        if (*m_pIncludeBuilds >= MAX_INCLUDE_BUILDS) return;
        ++*m_pIncludeBuilds;
        CDialogBuilder builder;
        builder.m_pOuter = this;
        builder.m_nDepth = m_nDepth + 1;
        builder.m_pIncludeBuilds = m_pIncludeBuilds;
        CControlUI* pControl = builder.Create(source, m_pstrtype, m_pCallback, pManager, pParent);
        // Without a parent nobody would own what the included document made.
        if (pParent == NULL) delete pControl;
    }
}

CControlUI* CDialogBuilder::BuildTreeNode(CMarkupNode& node, CControlUI* pParent, CPaintManagerUI* pManager,
                                          bool& bEndLevel)
{
    // Without the tree view's links, or without a parent to ask, nothing can make it.
    const SkinTreeNodeLinks& links = GetSkinTreeNodeLinks();
    if (links.pfnCreate == NULL || links.pfnAddToNode == NULL || links.pfnAddToView == NULL) return NULL;
    if (pParent == NULL) return NULL;

    LPVOID pParentNode = pParent->GetInterface(L"TreeNode");
    CControlUI* pNode = links.pfnCreate();
    if (pNode == NULL) return NULL;
    if (pParentNode != NULL && !links.pfnAddToNode(pParentNode, pNode)) {
        delete pNode;
        return NULL;
    }
    if (pManager != NULL) {
        pNode->SetManager(pManager, NULL, false);
        LPCTSTR pDefaultAttributes = pManager->GetDefaultAttributeList(L"TreeNode");
        if (pDefaultAttributes != NULL) pNode->ApplyAttributeList(pDefaultAttributes);
    }
    ApplyAttributes(node, pNode);
    // Unlike other controls, a node takes its attributes before its children.
    if (node.HasChildren()) _Parse(&node, pNode, pManager);
    if (pParentNode == NULL) {
        LPVOID pView = pParent->GetInterface(L"TreeView");
        if (pView == NULL) {
            delete pNode;
            bEndLevel = true;
            return NULL;
        }
        if (!links.pfnAddToView(pView, pNode)) {
            delete pNode;
            return NULL;
        }
    }
    return pNode;
}

CControlUI* CDialogBuilder::_Parse(CMarkupNode* pRoot, CControlUI* pParent, CPaintManagerUI* pManager)
{
    IContainerUI* pContainer = NULL;
    bool bContainerAsked = false;
    CControlUI* pReturn = NULL;
    for (CMarkupNode node = pRoot->GetChild(); node.IsValid(); node = node.GetSibling()) {
        LPCTSTR pstrClass = node.GetName();
        if (wcscmp(pstrClass, L"Image") == 0 || wcscmp(pstrClass, L"Font") == 0 || wcscmp(pstrClass, L"Default") == 0)
            continue;
        if (wcscmp(pstrClass, L"Include") == 0) {
            BuildInclude(node, pParent, pManager);
            continue;
        }
        if (wcscmp(pstrClass, L"TreeNode") == 0) {
            bool bEndLevel = false;
            BuildTreeNode(node, pParent, pManager, bEndLevel);
            if (bEndLevel) return NULL;
            continue;
        }

        CControlUI* pControl = CreateFromName(pstrClass);
        if (pControl == NULL) continue;

        // 1. Children are complete before their parent is linked or configured.
        if (node.HasChildren()) _Parse(&node, pControl, pManager);

        // 2. A parent that is already in a window initialises what it takes, names included:
        // there the control must be configured before it is linked, or it would be set up
        // without its attributes and left without its manager.
        const bool bLiveParent = pParent != NULL && pParent->GetManager() != NULL;
        if (bLiveParent) Configure(node, pControl, pManager);

        // 3. Link to the parent.
        if (pParent != NULL) {
            LPVOID pParentNode = pParent->GetInterface(L"TreeNode");
            const SkinTreeNodeLinks& links = GetSkinTreeNodeLinks();
            if (pParentNode != NULL && links.pfnAddToNode != NULL) {
                if (!links.pfnAddToNode(pParentNode, pControl)) {
                    delete pControl;
                    continue;
                }
            } else {
                if (!bContainerAsked) {
                    pContainer = static_cast<IContainerUI*>(pParent->GetInterface(L"IContainer"));
                    bContainerAsked = true;
                }
                if (pContainer == NULL) {
                    delete pControl;
                    return NULL;
                }
                if (!pContainer->Add(pControl)) {
                    delete pControl;
                    continue;
                }
            }
        }

        // 4. Elsewhere the control is configured once linked; the final links are made when
        // the tree is attached to the window.
        if (!bLiveParent) Configure(node, pControl, pManager);

        if (pReturn == NULL)
            pReturn = pControl;
        else if (pParent == NULL)
            delete pControl; // a second top-level control has no owner
    }
    return pReturn;
}

} // namespace SkinUI
