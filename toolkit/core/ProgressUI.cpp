#include <windows.h>
#include <limits.h>
#include <wchar.h>
#include "core/ProgressUI.h"
#include "core/RenderEngine.h"

namespace SkinUI {

CProgressUI::CProgressUI() : m_bHorizontal(true), m_bStretchForeImage(true), m_nMax(100), m_nMin(0), m_nValue(0)
{
    m_uTextStyle = DT_SINGLELINE | DT_CENTER;
    m_cxyFixed.cy = 12;
}

LPCTSTR CProgressUI::GetClass() const
{
    return L"ProgressUI";
}

LPVOID CProgressUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Progress") == 0) return static_cast<CProgressUI*>(this);
    return CLabelUI::GetInterface(pstrName);
}

bool CProgressUI::IsHorizontal() const
{
    return m_bHorizontal;
}

void CProgressUI::SetHorizontal(bool bHorizontal)
{
    if (m_bHorizontal == bHorizontal) return;
    m_bHorizontal = bHorizontal;
    Invalidate();
}

bool CProgressUI::IsStretchForeImage() const
{
    return m_bStretchForeImage;
}

void CProgressUI::SetStretchForeImage(bool bStretchForeImage)
{
    if (m_bStretchForeImage == bStretchForeImage) return;
    m_bStretchForeImage = bStretchForeImage;
    Invalidate();
}

int CProgressUI::GetMinValue() const
{
    return m_nMin;
}

void CProgressUI::SetMinValue(int nMin)
{
    m_nMin = nMin;
    Invalidate();
}

int CProgressUI::GetMaxValue() const
{
    return m_nMax;
}

void CProgressUI::SetMaxValue(int nMax)
{
    m_nMax = nMax;
    Invalidate();
}

int CProgressUI::GetValue() const
{
    return m_nValue;
}

void CProgressUI::SetValue(int nValue)
{
    if (nValue == m_nValue || nValue < m_nMin || nValue > m_nMax) return;
    m_nValue = nValue;
    Invalidate();
}

long long CProgressUI::GeometryRange() const
{
    const long long range = static_cast<long long>(m_nMax) - m_nMin;
    return range < 1 ? 1 : range;
}

long long CProgressUI::GeometryOffset() const
{
    long long value = m_nValue;
    if (value > m_nMax) value = m_nMax;
    if (value < m_nMin) value = m_nMin;
    return value - m_nMin;
}

void CProgressUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    LPTSTR pEnd = NULL;
    if (wcscmp(pstrName, L"hor") == 0)
        SetHorizontal(wcscmp(pstrValue, L"true") == 0);
    else if (wcscmp(pstrName, L"min") == 0)
        SetMinValue(static_cast<int>(wcstol(pstrValue, &pEnd, 10)));
    else if (wcscmp(pstrName, L"max") == 0)
        SetMaxValue(static_cast<int>(wcstol(pstrValue, &pEnd, 10)));
    else if (wcscmp(pstrName, L"value") == 0)
        SetValue(static_cast<int>(wcstol(pstrValue, &pEnd, 10)));
    else if (wcscmp(pstrName, L"isstretchfore") == 0)
        SetStretchForeImage(wcscmp(pstrValue, L"true") == 0);
    else
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

void CProgressUI::PaintStatusImage(HDC hDC)
{
    // 1. Repair the range and the value, keeping the result.
    if (m_nMin == INT_MAX) m_nMin = INT_MAX - 1;
    if (m_nMax <= m_nMin) m_nMax = m_nMin + 1;
    if (m_nValue > m_nMax) m_nValue = m_nMax;
    if (m_nValue < m_nMin) m_nValue = m_nMin;

    // 2. The filled part, relative to the item rectangle (64-bit: wide ranges overflow int).
    const long long W = m_rcItem.right - m_rcItem.left;
    const long long H = m_rcItem.bottom - m_rcItem.top;
    RECT rc = { 0, 0, 0, 0 };
    if (m_bHorizontal) {
        rc.right = static_cast<LONG>(W * GeometryOffset() / GeometryRange());
        rc.bottom = static_cast<LONG>(H);
    } else {
        rc.top = static_cast<LONG>(H * (GeometryRange() - GeometryOffset()) / GeometryRange());
        rc.right = static_cast<LONG>(W);
        rc.bottom = static_cast<LONG>(H);
    }

    // 3. Only a usable fore image shows the fill.
    if (!m_diFore.IsLoadSuccess() || m_pManager == NULL) return;

    // 4. The modifier: stretched into the part, or the same part of the image shown 1:1.
    int nFormatted;
    if (m_bStretchForeImage) {
        nFormatted = m_sForeImageModify.SmallFormat(L"dest='%d,%d,%d,%d'", rc.left, rc.top, rc.right, rc.bottom);
    } else {
        if (!m_diFore.LoadImageW(m_pManager) || m_diFore.m_imageInfo == NULL) return;
        // A vertical bar fills from its bottom, so an image shorter than the bar sits on the
        // bar's bottom edge: cut at the top it would leave the lower rows for ever empty.
        RECT rcSource = rc;
        const LONG lShift = m_bHorizontal ? 0 : static_cast<LONG>(H) - m_diFore.m_imageInfo->height;
        if (lShift > 0) {
            ::OffsetRect(&rcSource, 0, -lShift);
            if (rcSource.top < 0) {
                rc.top -= rcSource.top;
                rcSource.top = 0;
            }
        }
        // A source beyond the image would make the blend fail; the destination is cut by the
        // same amount so that nothing is scaled.
        const LONG cutX = rcSource.right - m_diFore.m_imageInfo->width;
        const LONG cutY = rcSource.bottom - m_diFore.m_imageInfo->height;
        if (cutX > 0) {
            rcSource.right -= cutX;
            rc.right -= cutX;
        }
        if (cutY > 0) {
            rcSource.bottom -= cutY;
            rc.bottom -= cutY;
        }
        if (rcSource.right <= rcSource.left || rcSource.bottom <= rcSource.top) return;
        nFormatted =
            m_sForeImageModify.SmallFormat(L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", rc.left, rc.top, rc.right,
                                           rc.bottom, rcSource.left, rcSource.top, rcSource.right, rcSource.bottom);
        if (nFormatted < 0) {
            nFormatted =
                m_sForeImageModify.Format(L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", rc.left, rc.top, rc.right,
                                          rc.bottom, rcSource.left, rcSource.top, rcSource.right, rcSource.bottom);
        }
    }
    if (nFormatted < 0) return;

    // 5. A copy of the attribute is drawn; the stored one keeps its own dest and source.
    DrawImage(hDC, m_diFore, m_sForeImageModify);
}

} // namespace SkinUI
