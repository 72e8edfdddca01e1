#pragma once
#include "core/SkinDefs.h"
#include "core/SkinString.h"
#include "core/SkinRect.h"
#include "core/Markup.h"

namespace SkinUI {

class CControlUI;
class CPaintManagerUI;

// Lets a window make the controls of element names the toolkit does not know.
class IDialogBuilderCallback {
public:
    // A new control for the element name, or null.
    virtual CControlUI* CreateControl(LPCTSTR pstrClass) = 0;
};

// The entry a plug-in module exports, undecorated, as "CreateControl" (collected by
// CPaintManagerUI::LoadPlugin): a new control for the element name, or null.
typedef CControlUI*(__cdecl* LPCREATECONTROL)(LPCTSTR pstrType);

// One row of the element-name table: the element name (matched exactly) and the function
// that makes a control of its class.
struct SkinControlEntry {
    LPCTSTR pstrName;
    CControlUI* (*pfnCreate)();
};

// The element-name table and its length (DialogBuilderTable.cpp).
SKINUI_API const SkinControlEntry* GetSkinControlTable(int* pnCount);

// How the builder makes and links "TreeNode" elements. The tree view supplies these;
// while any is null, "TreeNode" elements are skipped as names nothing can make.
struct SkinTreeNodeLinks {
    CControlUI* (*pfnCreate)();
    // pNode is what a parent answered to GetInterface("TreeNode"): adds pControl to the
    // node's row.
    bool (*pfnAddToNode)(LPVOID pNode, CControlUI* pControl);
    // pView is what a parent answered to GetInterface("TreeView"): adds the node to it.
    bool (*pfnAddToView)(LPVOID pView, CControlUI* pNode);
};
SKINUI_API const SkinTreeNodeLinks& GetSkinTreeNodeLinks();

// Turns a skin XML document into a control tree: registers the document's images, fonts,
// default attribute lists and window settings with a manager and makes one control per
// element, children before their parent is linked and configured.
class SKINUI_API CDialogBuilder {
public:
    CDialogBuilder();
    CDialogBuilder(const CDialogBuilder&) = delete;
    CDialogBuilder& operator=(const CDialogBuilder&) = delete;

    // xml is a resource id of type `type` in the resource module, XML text (starting with
    // '<') or a file name (in the resource zip when one is set, else under the resource
    // path). The first control built at the top level, or null.
    CControlUI* Create(STRINGorID xml, LPCTSTR type = NULL, IDialogBuilderCallback* pCallback = NULL,
                       CPaintManagerUI* pManager = NULL, CControlUI* pParent = NULL);
    // Builds the document already loaded.
    CControlUI* Create(IDialogBuilderCallback* pCallback = NULL, CPaintManagerUI* pManager = NULL,
                       CControlUI* pParent = NULL);

    CMarkup* GetMarkup();
    void GetLastErrorMessage(LPTSTR pstrMessage, SIZE_T cchMax) const;
    void GetLastErrorLocation(LPTSTR pstrSource, SIZE_T cchMax) const;

    // Deeper "Include" nesting is skipped.
    enum { MAX_INCLUDE_DEPTH = 32 };
    // Included documents built for one outermost document, counts included; the rest are
    // skipped so that a huge "count" cannot exhaust the memory.
    enum { MAX_INCLUDE_BUILDS = 1000 };

private:
    bool LoadDocument(STRINGorID xml, LPCTSTR type);
    void RegisterResources(CMarkupNode& root, CPaintManagerUI* pManager);
    void ApplyWindowAttributes(CMarkupNode& root, CPaintManagerUI* pManager);
    CControlUI* _Parse(CMarkupNode* pRoot, CControlUI* pParent, CPaintManagerUI* pManager);
    void BuildInclude(CMarkupNode& node, CControlUI* pParent, CPaintManagerUI* pManager);
    CControlUI* BuildTreeNode(CMarkupNode& node, CControlUI* pParent, CPaintManagerUI* pManager, bool& bEndLevel);
    CControlUI* CreateFromName(LPCTSTR pstrClass);
    static void ApplyAttributes(CMarkupNode& node, CControlUI* pControl);
    // Defaults and attributes, with the manager set for as long as they are applied.
    static void Configure(CMarkupNode& node, CControlUI* pControl, CPaintManagerUI* pManager);
    bool IsBuilding(const CSkinString& sSource) const;

    CMarkup m_xml;
    IDialogBuilderCallback* m_pCallback;
    LPCTSTR m_pstrtype;

    // The chain of documents being built through "Include": the including builder, this
    // document's identity (empty for XML text) and the shared count of included builds.
    const CDialogBuilder* m_pOuter;
    CSkinString m_sSource;
    int m_nDepth;
    int m_nOwnIncludeBuilds;
    int* m_pIncludeBuilds;
};

} // namespace SkinUI
