#pragma once
#include "core/SkinDefs.h"
#include "core/SkinString.h"

namespace SkinUI {

class CPaintManagerUI;
struct tagTImageInfo;

// One image as a control describes it in its skin: either a bare image name ("bk.png") or
// key='value' pairs (file, res, restype, dest, source, corner, mask, fade, hole, xtiled,
// ytiled), plus the image loaded from the window's cache.
class SKINUI_API CImageAttribute {
public:
    CImageAttribute();
    CImageAttribute(const CImageAttribute& image);
    CImageAttribute& operator=(const CImageAttribute& image);
    virtual ~CImageAttribute();

    const CSkinString& GetAttributeString() const;
    // An unchanged text keeps the loaded image; any other text starts from a cleared state.
    void SetAttributeString(LPCTSTR pStrImageAttri);
    // Applies key='value' pairs over the current values; the attribute string and the
    // loaded image stay.
    void ModifyAttribute(LPCTSTR pStrModify);
    // Loads through the manager's image cache; true when an image is available. A failed
    // load is not retried until the attribute string changes.
    bool LoadImageW(CPaintManagerUI* pManager);
    bool IsLoadSuccess() const;

    RECT GetDest() const;
    void SetDest(const RECT& rcDest);

    // Fits the source rectangle to an image of the given size: all zero takes the whole
    // image, otherwise every side is kept inside it.
    void FitSourceToImage(int width, int height);

    CSkinString m_sImageAttribute;
    CSkinString m_sImage;
    CSkinString m_sResType;
    tagTImageInfo* m_imageInfo; // owned by the manager's cache
    bool m_bLoadSuccess;        // false once a load has failed
    RECT m_rcDest;
    RECT m_rcSource;
    RECT m_rcCorner;
    BYTE m_bFade;
    DWORD m_dwMask;
    bool m_bHole;
    bool m_bTiledX;
    bool m_bTiledY;

private:
    void Clone(const CImageAttribute& image);
    void Clear();
    void ParsePairs(LPCTSTR pStr);
    void ApplyPair(const CSkinString& key, const CSkinString& value);
};

} // namespace SkinUI
