#include <windows.h>
#include "core/ImageAttribute.h"
#include "core/PaintManager.h"

namespace SkinUI {

bool CImageAttribute::LoadImageW(CPaintManagerUI* pManager)
{
    if (m_imageInfo != NULL) return true;
    // A failed image is not asked for again on every paint.
    if (!m_bLoadSuccess) return false;
    if (pManager == NULL) return false;
    tagTImageInfo* data = pManager->GetImageEx(m_sImage, m_sResType.IsEmpty() ? NULL : m_sResType.GetData(), m_dwMask);
    if (data == NULL) {
        m_bLoadSuccess = false;
        return false;
    }
    FitSourceToImage(data->width, data->height);
    m_imageInfo = data;
    return true;
}

} // namespace SkinUI
