#include "PropValue.h"

HRESULT IsArchiveItemFolder(IInArchive* archive, UINT32 index, bool& isFolder)
{
    PropValue value;
    HRESULT hr = archive->GetProperty(index, kpidIsDir, &value);
    if (hr != S_OK) return hr;
    if ((*value).vt == VT_BOOL) {
        isFolder = (*value).boolVal != VARIANT_FALSE;
        return S_OK;
    }
    if ((*value).vt == VT_EMPTY) {
        isFolder = false;
        return S_OK;
    }
    return E_FAIL;
}

HRESULT PropVariantToUInt64(const PROPVARIANT& value, UINT64& result, bool& defined)
{
    defined = true;
    switch (value.vt) {
    case VT_UI1:
        result = value.bVal;
        return S_OK;
    case VT_UI2:
        result = value.uiVal;
        return S_OK;
    case VT_UI4:
        result = value.ulVal;
        return S_OK;
    case VT_UI8:
        result = value.uhVal.QuadPart;
        return S_OK;
    case VT_EMPTY:
        defined = false;
        return S_OK;
    default:
        defined = false;
        return E_INVALIDARG;
    }
}
