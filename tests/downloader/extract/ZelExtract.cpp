// Runs the updater's package extraction without a window:
//   ZelExtract <archive> <output folder>
// The library is "7z.dll" beside this program, as beside the updater. The exit code is 0
// only when everything was extracted; 2 for wrong usage.

#include "ExtractDriver.h"
#include "FileSystem.h"
#include "common/ModuleFolder.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>

namespace {

class CountingProgress final : public IExtractProgress {
public:
    void OnExtractProgress(UINT64 completed, UINT64 total) override
    {
        ++calls;
        last = completed;
        this->total = total;
    }
    std::atomic<unsigned long> calls{ 0 };
    std::atomic<UINT64> last{ 0 };
    std::atomic<UINT64> total{ 0 };
};

} // namespace

int main()
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 3) {
        std::fputs("usage: ZelExtract <archive> <output folder>\n", stderr);
        if (argv) LocalFree(argv);
        return 2;
    }
    const std::wstring archive = argv[1];
    const std::wstring folder = argv[2];
    LocalFree(argv);

    CountingProgress progress;
    const ExtractResult result = ExtractArchive(GetCurrentModuleDirectory() + L"7z.dll", archive, folder, &progress);
    std::printf("Result: %s\nHRESULT: 0x%08lX\nItem errors: %llu\nProgress calls: %lu (%llu of %llu)\n",
                ExtractStatusMessage(result.status), static_cast<unsigned long>(result.result),
                static_cast<unsigned long long>(result.itemErrors), progress.calls.load(),
                static_cast<unsigned long long>(progress.last.load()),
                static_cast<unsigned long long>(progress.total.load()));
    std::fflush(stdout);
    return result.Succeeded() ? 0 : 1;
}
