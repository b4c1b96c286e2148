#include "os/win32/SignatureCheck.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <vector>

bool CSignatureCheck::IsSignedBy(HANDLE hFile, const std::wstring& path, const std::wstring& publisher)
{
    if (publisher.empty())
        return false;
    WINTRUST_FILE_INFO file{};
    file.cbStruct = sizeof(file);
    file.pcwszFilePath = path.c_str();
    file.hFile = hFile == INVALID_HANDLE_VALUE ? nullptr : hFile;

    WINTRUST_DATA data{};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    // Revocation lists would be fetched from the network, which an
    // installer may not have beyond the vendor host; the chain itself is
    // checked in full.
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    // Kept open after the verification, to read the signer from.
    data.dwStateAction = WTD_STATEACTION_VERIFY;

    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const HWND hNoUi = static_cast<HWND>(INVALID_HANDLE_VALUE);
    const LONG status = WinVerifyTrust(hNoUi, &action, &data);
    std::wstring signer;
    const bool bSigned = status == ERROR_SUCCESS && ChainIsTrusted(data.hWVTStateData) &&
                         SignerName(data.hWVTStateData, signer) && signer == publisher;

    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(hNoUi, &action, &data);
    return bSigned;
}

bool CSignatureCheck::ChainIsTrusted(HANDLE hStateData)
{
    const CRYPT_PROVIDER_SGNR* pSigner = Signer(hStateData);
    if (!pSigner || !pSigner->pChainContext)
        return false;
    // Asked of the chain the provider built for the signer, not left to the
    // provider's verdict alone: some implementations (Wine's) pass a
    // signature whose chain ends in a root it carries along itself.
    constexpr DWORD UNTRUSTED = CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN |
                                CERT_TRUST_IS_NOT_SIGNATURE_VALID | CERT_TRUST_IS_REVOKED |
                                CERT_TRUST_IS_EXPLICIT_DISTRUST | CERT_TRUST_IS_CYCLIC;
    return (pSigner->pChainContext->TrustStatus.dwErrorStatus & UNTRUSTED) == 0;
}

const CRYPT_PROVIDER_SGNR* CSignatureCheck::Signer(HANDLE hStateData)
{
    CRYPT_PROVIDER_DATA* pProvider = hStateData ? WTHelperProvDataFromStateData(hStateData) : nullptr;
    return pProvider ? WTHelperGetProvSignerFromChain(pProvider, 0, FALSE, 0) : nullptr;
}

bool CSignatureCheck::SignerName(HANDLE hStateData, std::wstring& name)
{
    const CRYPT_PROVIDER_SGNR* pSigner = Signer(hStateData);
    if (!pSigner || pSigner->csCertChain == 0 || !pSigner->pasCertChain || !pSigner->pasCertChain[0].pCert)
        return false;
    // The first certificate of the signer's chain is the one that signed.
    const PCCERT_CONTEXT pCert = pSigner->pasCertChain[0].pCert;
    const DWORD nChars = CertGetNameStringW(pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
    if (nChars <= 1)
        return false;
    std::vector<wchar_t> buffer(nChars);
    CertGetNameStringW(pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, buffer.data(), nChars);
    name.assign(buffer.data());
    return true;
}
