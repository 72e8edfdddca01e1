// Runs one download of the updater against a real server and prints what happened, for the
// end-to-end tests (test_downloads.py):
//   download_probe file URL PATH        DownloadFile
//   download_probe package URL FOLDER   DownloadPackage, with every progress call
//   download_probe trust|untrust PEM -   adds or removes a test root in the user's Root store
// Output: UTF-8 lines "begin", "update PERCENT<TAB>PERCENT-TEXT<TAB>SPEED-TEXT", "end",
// "path PATH" and finally "result N".
#include <windows.h>

#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "Downloads.h"
#include "common/TextConvert.h"

namespace {

void Line(const std::string& s)
{
    std::fputs((s + "\n").c_str(), stdout);
    std::fflush(stdout);
}

class PrintingProgress : public IDownloadProgress {
public:
    void Begin() override { Line("begin"); }
    void Update(const DownloadFigures& f) override
    {
        Line("update " + std::to_string(f.percent) + "\t" + WideToUtf8(f.percentText) + "\t" + WideToUtf8(f.speedText));
    }
    void End() override { Line("end"); }
};

// The test roots are made at test time and live only in the test's Wine prefix.
int ChangeTrust(bool add, const wchar_t* pemFile)
{
    std::ifstream in(pemFile, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string pem = text.str();
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) return 1;
    std::string der(size, '\0');
    CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, reinterpret_cast<BYTE*>(&der[0]), &size, nullptr,
                         nullptr);
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
    if (!root) return 1;
    const CERT_CONTEXT* cert = nullptr;
    BOOL ok = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), size,
                                               CERT_STORE_ADD_REPLACE_EXISTING, &cert);
    if (ok && !add)
        ok = CertDeleteCertificateFromStore(cert); // frees cert
    else if (cert)
        CertFreeCertificateContext(cert);
    CertCloseStore(root, 0);
    return ok ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4) {
        std::fputs("usage: download_probe file|package URL PATH | trust|untrust PEM -\n", stderr);
        return 2;
    }
    const std::wstring mode = argv[1];
    const std::string url = WideToAnsi(argv[2]);
    int result = 0;
    if (mode == L"trust" || mode == L"untrust") {
        result = ChangeTrust(mode == L"trust", argv[2]);
    } else if (mode == L"file") {
        result = DownloadFile(url, argv[3]);
    } else if (mode == L"package") {
        PrintingProgress progress;
        double start = 0;
        std::wstring path;
        result = DownloadPackage(url, argv[3], progress, start, path);
        if (!path.empty()) Line("path " + WideToUtf8(path));
    } else {
        return 2;
    }
    Line("result " + std::to_string(result));
    return 0;
}
