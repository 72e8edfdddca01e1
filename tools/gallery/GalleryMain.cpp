// gallery.exe [--plugin=DLL]... [--close] SKIN.xml
//
// Opens SKIN.xml in a skinned window: the skin's folder becomes the resource folder, so its
// images are found beside it. --plugin loads a plug-in module that makes further element
// names; --close closes the window as soon as it is built and laid out (for scripted runs).
// The exit code is the code the window was closed with ("closebtn" gives 1), or 1 when the
// skin cannot be built (after the toolkit's own message box). The window's title is
// "SkinUI Gallery - " followed by the skin's full path.
#include <windows.h>
#include <shellapi.h>

#include "core/PaintManager.h"
#include "core/SkinString.h"
#include "core/WindowImplBase.h"

using namespace SkinUI;

namespace {

class CGalleryWnd : public WindowImplBase {
public:
    CGalleryWnd(LPCTSTR pstrSkinFile, bool bCloseAtOnce) : m_sSkinFile(pstrSkinFile), m_bCloseAtOnce(bCloseAtOnce) {}

    LPCTSTR GetWindowClassName() const override { return L"SkinGalleryWnd"; }
    CSkinString GetSkinFile() override { return m_sSkinFile; }

    void InitWindow() override
    {
        CenterWindow();
        if (m_bCloseAtOnce) PostMessageW(WM_CLOSE, 0, 0);
    }

private:
    CSkinString m_sSkinFile;
    bool m_bCloseAtOnce;
};

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == NULL) return 2;
    CSkinString sSkinPath;
    bool bClose = false;
    CPaintManagerUI::SetInstance(hInstance);
    for (int i = 1; i < argc; ++i) {
        if (wcsncmp(argv[i], L"--plugin=", 9) == 0)
            CPaintManagerUI::LoadPlugin(argv[i] + 9);
        else if (wcscmp(argv[i], L"--close") == 0)
            bClose = true;
        else
            sSkinPath = argv[i];
    }
    ::LocalFree(argv);
    if (sSkinPath.IsEmpty()) {
        ::MessageBoxW(NULL, L"gallery.exe [--plugin=DLL]... [--close] SKIN.xml", L"SkinUI Gallery", MB_ICONINFORMATION);
        return 2;
    }

    // The skin's folder holds its images; the file name is what the builder reads there.
    wchar_t szFull[MAX_PATH * 2] = { 0 };
    LPWSTR pFilePart = NULL;
    DWORD n = ::GetFullPathNameW(sSkinPath.GetData(), MAX_PATH * 2, szFull, &pFilePart);
    if (n == 0 || n >= MAX_PATH * 2 || pFilePart == NULL) pFilePart = szFull;
    CSkinString sFile = pFilePart;
    *pFilePart = 0;
    CPaintManagerUI::SetResourcePath(szFull);

    // The title names the skin: several galleries may be open at once.
    CSkinString sTitle = L"SkinUI Gallery - ";
    sTitle += szFull;
    sTitle += sFile;
    CGalleryWnd wnd(sFile.GetData(), bClose);
    if (wnd.Create(NULL, sTitle.GetData(), WS_OVERLAPPEDWINDOW, 0) == NULL) {
        CPaintManagerUI::Term();
        return 3;
    }
    UINT nRet = wnd.ShowModal();
    CPaintManagerUI::Term();
    return static_cast<int>(nRet);
}
