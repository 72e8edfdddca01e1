#include "UpdaterStartup.h"

#include <shellapi.h>

#include <string>

#include "AsideCopies.h"
#include "Downloads.h"
#include "Mywnd.h"
#include "common/ModuleFolder.h"
#include "ProcessEnd.h"
#include "SelfReplace.h"
#include "SingleInstance.h"
#include "common/TextConvert.h"
#include "UpdateInfo.h"
#include "UpdateRequest.h"

namespace {

std::wstring ReadIniString(const std::wstring& file, const wchar_t* section, const wchar_t* key)
{
    std::wstring value(261, L'\0');
    for (;;) {
        DWORD n =
            GetPrivateProfileStringW(section, key, L"", &value[0], static_cast<DWORD>(value.size()), file.c_str());
        // A value that fills the buffer may have been cut: read again with more room.
        if (n + 1 < value.size() || value.size() >= 65536) {
            value.resize(n);
            return value;
        }
        value.resize(value.size() * 2);
    }
}

struct ArgList {
    ArgList() : argv(CommandLineToArgvW(GetCommandLineW(), &argc)) {}
    ~ArgList()
    {
        if (argv) LocalFree(argv);
    }
    ArgList(const ArgList&) = delete;
    ArgList& operator=(const ArgList&) = delete;
    int argc = 0;
    LPWSTR* argv;
};

} // namespace

int RunUpdaterStartup(HINSTANCE instance, const wchar_t* parameters)
{
    // A copy that has just replaced us may still be ending: give it time to let go.
    Sleep(500);

    const std::wstring folder = GetCurrentModuleDirectory();
    const std::wstring name = ReadIniString(folder + L"ZelLogin.ini", L"URL", L"name");
    const std::wstring instanceName = L"downloader" + name;
    SingleInstance guard;
    if (!guard.Acquire(instanceName)) return 0;
    // Files an earlier update had to move aside because they were in use; those still in use
    // wait for a later start.
    RemoveAsideCopies(folder);

    std::string url;
    {
        ArgList args;
        if (!args.argv || args.argc < 2) return 0;
        url = WideToAnsi(args.argv[1]);
    }

    UpdateInfo info;
    RequestUpdateInfo(info, url);

    if (!info.up_version.empty() && info.up_version != "1") {
        switch (ReplaceSelf(info.up_url, parameters ? parameters : L"", guard, instanceName)) {
        case SelfReplaceResult::Failed:
            ShowPrompt(L"网络连接错误,请重新启动");
            return -1;
        case SelfReplaceResult::Started:
            return 0;
        case SelfReplaceResult::StartFailed:
            break;
        case SelfReplaceResult::Unchanged:
            RemoveOldCopy();
            break;
        }
    } else {
        RemoveOldCopy();
    }

    if (DownloadBackgroundImage(info.up_bg, folder) != 0) {
        ShowPrompt(L"网络连接错误,请重新启动");
        return -1;
    }
    return RunMainWindow(instance, info);
}
