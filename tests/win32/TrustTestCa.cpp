// zelqa-trust-ca CA.pem: puts a PEM certificate into the local machine's
// root store, so that the platform's TLS trusts the local vendor host. Run
// by wine-prefix.sh inside the throw-away Wine prefix of the tests; the host
// system's own store is never touched.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{

bool ReadWholeFile(const wchar_t* pszPath, std::string& strContents)
{
    const HANDLE hFile = CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    char buffer[4096];
    DWORD nRead = 0;
    bool bOk = true;
    while ((bOk = ReadFile(hFile, buffer, sizeof(buffer), &nRead, nullptr) != FALSE) && nRead > 0)
        strContents.append(buffer, nRead);
    CloseHandle(hFile);
    return bOk;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        fwprintf(stderr, L"usage: zelqa-trust-ca CA.pem\n");
        return 2;
    }
    std::string strPem;
    if (!ReadWholeFile(argv[1], strPem)) {
        fwprintf(stderr, L"zelqa-trust-ca: cannot read %ls\n", argv[1]);
        return 1;
    }
    DWORD cbDer = 0;
    if (!CryptStringToBinaryA(strPem.c_str(), static_cast<DWORD>(strPem.size()), CRYPT_STRING_BASE64HEADER, nullptr,
                              &cbDer, nullptr, nullptr)) {
        fwprintf(stderr, L"zelqa-trust-ca: %ls holds no PEM certificate\n", argv[1]);
        return 1;
    }
    std::vector<BYTE> der(cbDer);
    CryptStringToBinaryA(strPem.c_str(), static_cast<DWORD>(strPem.size()), CRYPT_STRING_BASE64HEADER, der.data(),
                         &cbDer, nullptr, nullptr);

    const HCERTSTORE hStore = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    if (!hStore) {
        fwprintf(stderr, L"zelqa-trust-ca: cannot open the root store (%lu)\n", GetLastError());
        return 1;
    }
    const BOOL bAdded = CertAddEncodedCertificateToStore(hStore, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, der.data(),
                                                         cbDer, CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    const DWORD dwError = GetLastError();
    CertCloseStore(hStore, 0);
    if (!bAdded) {
        fwprintf(stderr, L"zelqa-trust-ca: cannot add the certificate (%lu)\n", dwError);
        return 1;
    }
    return 0;
}
