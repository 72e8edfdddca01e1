#pragma once
#include <string>

#include "ProgressFigures.h"

class TransferCancel;

// Where the package download shows its progress (the main window's bar and two texts).
class IDownloadProgress {
public:
    // Before the first chunk: shows the bar and both texts, the bar's range 0..100.
    virtual void Begin() = 0;
    // After every chunk written.
    virtual void Update(const DownloadFigures& figures) = 0;
    // After the whole package: the bar goes back to 0 for the extraction.
    virtual void End() = 0;
    // Asked before every chunk: true stops the download as a failure.
    virtual bool ShouldStop() { return false; }

protected:
    ~IDownloadProgress() = default;
};

// Downloads the window's background image to "Skin\bk\bg_1.png" in folder (our own folder
// by default). 0 on success, and also when the server answers with a status other than 200:
// the image already there is then kept. -1 on failure, after a box for the failures the
// player can act on (no connection, the file cannot be created).
int DownloadBackgroundImage(const std::string& url);
int DownloadBackgroundImage(const std::string& url, const std::wstring& folder);

// Downloads url to path, silently: 0 only for status 200 with the whole announced body;
// on -1 whatever was at path before is left as it was.
int DownloadFile(const std::string& url, const std::wstring& path);

// The local file name for a package: the text after the last "/" of its URL. Empty when
// that is no usable file name (IsUsableDownloadName: nothing, dots, a device, a name ending
// in a dot or blank, characters a file name cannot hold, or one of the folder's own files).
std::wstring ArchiveNameFromUrl(const std::string& gameUrl);

// Downloads the game package into folder under ArchiveNameFromUrl, reporting progress.
// startDate receives the moment the transfer began (CurrentLocalDate), archivePath the
// file written. 0 on success, -1 on any failure (nothing shown; a partial file is removed).
// cancel (may be null) stops the transfer from another thread, also inside a blocked read;
// the file is opened so that such a thread may delete it meanwhile.
int DownloadPackage(const std::string& gameUrl, const std::wstring& folder, IDownloadProgress& progress,
                    double& startDate, std::wstring& archivePath, TransferCancel* cancel = nullptr);
