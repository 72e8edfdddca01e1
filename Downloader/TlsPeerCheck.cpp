#include "TlsPeerCheck.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/TextConvert.h"

namespace {

struct StoreCloser {
    void operator()(void* store) const { CertCloseStore(static_cast<HCERTSTORE>(store), 0); }
};
struct CertFreer {
    void operator()(const CERT_CONTEXT* cert) const { CertFreeCertificateContext(cert); }
};
struct ChainFreer {
    void operator()(const CERT_CHAIN_CONTEXT* chain) const { CertFreeCertificateChain(chain); }
};
struct UrlFreer {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlTextFreer {
    void operator()(char* text) const { curl_free(text); }
};

// The PEM text of one certificate as curl lists it ("Cert:-----BEGIN ...").
std::vector<BYTE> DerOf(const curl_slist* fields)
{
    for (; fields; fields = fields->next) {
        const char* field = fields->data;
        if (std::strncmp(field, "Cert:", 5) != 0) continue;
        const char* pem = field + 5;
        DWORD size = 0;
        if (!CryptStringToBinaryA(pem, 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr) || size == 0)
            return {};
        std::vector<BYTE> der(size);
        if (!CryptStringToBinaryA(pem, 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr)) return {};
        der.resize(size);
        return der;
    }
    return {};
}

std::wstring HostOf(CURL* handle)
{
    char* effective = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective) != CURLE_OK || !effective) return std::wstring();
    std::unique_ptr<CURLU, UrlFreer> url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, effective, 0) != CURLUE_OK) return std::wstring();
    char* raw = nullptr;
    if (curl_url_get(url.get(), CURLUPART_HOST, &raw, 0) != CURLUE_OK || !raw) return std::wstring();
    std::unique_ptr<char, CurlTextFreer> host(raw);
    std::string text = host.get();
    // An IPv6 literal comes in brackets.
    if (text.size() > 2 && text.front() == '[' && text.back() == ']') text = text.substr(1, text.size() - 2);
    return Utf8ToWide(text);
}

} // namespace

bool PeerCertificateTrusted(CURL* handle)
{
    char* scheme = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_SCHEME, &scheme) != CURLE_OK || !scheme) return false;
    if (_stricmp(scheme, "https") != 0) return true;

    curl_certinfo* info = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_CERTINFO, &info) != CURLE_OK || !info || info->num_of_certs < 1)
        return false;
    const std::wstring host = HostOf(handle);
    if (host.empty()) return false;

    std::unique_ptr<void, StoreCloser> store(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
    if (!store) return false;
    const CERT_CONTEXT* leafRaw = nullptr;
    for (int i = 0; i < info->num_of_certs; ++i) {
        std::vector<BYTE> der = DerOf(info->certinfo[i]);
        if (der.empty()) return false;
        if (!CertAddEncodedCertificateToStore(static_cast<HCERTSTORE>(store.get()), X509_ASN_ENCODING, der.data(),
                                              static_cast<DWORD>(der.size()), CERT_STORE_ADD_ALWAYS,
                                              i == 0 ? &leafRaw : nullptr))
            return false;
    }
    std::unique_ptr<const CERT_CONTEXT, CertFreer> leaf(leafRaw);
    if (!leaf) return false;

    CERT_CHAIN_PARA chainPara = {};
    chainPara.cbSize = sizeof chainPara;
    const CERT_CHAIN_CONTEXT* chainRaw = nullptr;
    if (!CertGetCertificateChain(nullptr, leaf.get(), nullptr, static_cast<HCERTSTORE>(store.get()), &chainPara, 0,
                                 nullptr, &chainRaw))
        return false;
    std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainFreer> chain(chainRaw);

    std::vector<wchar_t> serverName(host.begin(), host.end());
    serverName.push_back(L'\0');
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = serverName.data();
    CERT_CHAIN_POLICY_PARA policy = {};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof status;
    return CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policy, &status) &&
           status.dwError == 0;
}

int TlsPeerPrereq(void* handle, char*, char*, int, int)
{
    // Called from libcurl's C code: nothing may unwind through it, and a check that could not
    // be made is a refused peer.
    try {
        return PeerCertificateTrusted(static_cast<CURL*>(handle)) ? CURL_PREREQFUNC_OK : CURL_PREREQFUNC_ABORT;
    } catch (...) {
        return CURL_PREREQFUNC_ABORT;
    }
}

void RequireTrustedPeer(CURL* handle)
{
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(handle, CURLOPT_CERTINFO, 1L);
    curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, TlsPeerPrereq);
    curl_easy_setopt(handle, CURLOPT_PREREQDATA, handle);
}
