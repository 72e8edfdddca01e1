#include "Downloads.h"

#include <windows.h>

#include "common/ModuleFolder.h"
#include "PathSafety.h"
#include "ProcessEnd.h"
#include "common/TextConvert.h"
#include "WinInetTransfer.h"

namespace {

void ShowErrorCode(const wchar_t* format, DWORD error)
{
    wchar_t text[128];
    _snwprintf(text, sizeof text / sizeof text[0], format, static_cast<int>(error));
    text[sizeof text / sizeof text[0] - 1] = L'\0';
    ShowPrompt(text);
}

HANDLE CreateOutputFile(const std::wstring& path, DWORD share = 0)
{
    return CreateFileW(path.c_str(), GENERIC_WRITE, share, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Copies the body of an opened transfer into file. False when a read or a write fails or
// the body ends before its announced length.
bool CopyBody(WinInetTransfer& transfer, HANDLE file)
{
    char buffer[WinInetTransfer::kChunkSize];
    ULONGLONG received = 0;
    for (;;) {
        DWORD read = 0;
        if (!transfer.ReadChunk(buffer, read)) return false;
        if (read == 0) break;
        if (!WriteAll(file, buffer, read)) return false;
        received += read;
    }
    return transfer.Complete(received);
}

// Writes the body into a temporary file beside target and moves it into place only when it
// is whole, so that a failed download never spoils the file already there.
bool SaveBody(WinInetTransfer& transfer, const std::wstring& target, HANDLE file, const std::wstring& temp)
{
    FileHandle out(file);
    bool ok = CopyBody(transfer, out.Get());
    ok = out.Close() && ok;
    ok = ok && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
}

} // namespace

int DownloadBackgroundImage(const std::string& url)
{
    return DownloadBackgroundImage(url, GetCurrentModuleDirectory());
}

int DownloadBackgroundImage(const std::string& url, const std::wstring& folder)
{
    WinInetTransfer transfer;
    switch (transfer.Open(AnsiToWide(url))) {
    case WinInetTransfer::OpenResult::SessionFailed:
        ShowErrorCode(L"打开url错误,错误码：%d", transfer.LastError());
        return -1;
    case WinInetTransfer::OpenResult::UrlFailed:
        ShowErrorCode(L"url返回错误,错误码：%d", transfer.LastError());
        return -1;
    case WinInetTransfer::OpenResult::Ok:
        break;
    }
    // An error page is no image: keep the one we have.
    if (transfer.Status() != 200) return 0;

    const std::wstring target = folder + L"Skin\\bk\\bg_1.png";
    const std::wstring temp = target + L".part";
    HANDLE file = CreateOutputFile(temp);
    if (file == INVALID_HANDLE_VALUE) {
        ShowErrorCode(L"创建文件失败,错误码：%d", GetLastError());
        return -1;
    }
    return SaveBody(transfer, target, file, temp) ? 0 : -1;
}

int DownloadFile(const std::string& url, const std::wstring& path)
{
    WinInetTransfer transfer;
    if (transfer.Open(AnsiToWide(url)) != WinInetTransfer::OpenResult::Ok) return -1;
    if (transfer.Status() != 200) return -1;
    const std::wstring temp = path + L".part";
    HANDLE file = CreateOutputFile(temp);
    if (file == INVALID_HANDLE_VALUE) return -1;
    return SaveBody(transfer, path, file, temp) ? 0 : -1;
}

std::wstring ArchiveNameFromUrl(const std::string& gameUrl)
{
    size_t slash = gameUrl.rfind('/');
    const std::wstring name = AnsiToWide(slash == std::string::npos ? gameUrl : gameUrl.substr(slash + 1));
    // A failed download deletes the file again: the name must be no device and none of the
    // folder's own programs or settings.
    return IsUsableDownloadName(name) ? name : std::wstring();
}

int DownloadPackage(const std::string& gameUrl, const std::wstring& folder, IDownloadProgress& progress,
                    double& startDate, std::wstring& archivePath, TransferCancel* cancel)
{
    const std::wstring name = ArchiveNameFromUrl(gameUrl);
    if (name.empty()) return -1;
    WinInetTransfer transfer(cancel);
    if (transfer.Open(AnsiToWide(gameUrl)) != WinInetTransfer::OpenResult::Ok) return -1;
    if (transfer.Status() != 200) return -1;

    const ULONGLONG total = transfer.HasLength() ? transfer.Length() : 0;
    startDate = CurrentLocalDate();
    progress.Begin();

    archivePath = folder + name;
    // Only deletion is shared: a close on the window thread removes a package left half written.
    FileHandle out(CreateOutputFile(archivePath, FILE_SHARE_DELETE));
    if (!out.IsValid()) return -1;

    char buffer[WinInetTransfer::kChunkSize];
    ULONGLONG done = 0;
    double mbPerSecond = 0.0;
    bool ok = true;
    for (;;) {
        DWORD read = 0;
        if (progress.ShouldStop() || !transfer.ReadChunk(buffer, read)) {
            ok = false;
            break;
        }
        if (read == 0) break;
        const long long elapsed = ElapsedWholeSeconds(startDate, CurrentLocalDate());
        done += read;
        if (!WriteAll(out.Get(), buffer, read)) {
            ok = false;
            break;
        }
        DownloadFigures figures = ComputeDownloadFigures(done, total, elapsed, mbPerSecond);
        mbPerSecond = figures.mbPerSecond;
        progress.Update(figures);
    }
    ok = ok && transfer.Complete(done);
    ok = out.Close() && ok;
    if (!ok) {
        DeleteFileW(archivePath.c_str());
        return -1;
    }
    progress.End();
    return 0;
}
