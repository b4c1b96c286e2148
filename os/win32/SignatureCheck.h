#pragma once

#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <string>

// Whether a program is signed by a given publisher: its Authenticode
// signature verified by the platform's trust provider (no user interface),
// then the signing certificate's subject compared with the publisher's name.
class CSignatureCheck
{
public:
    // The file is read through hFile, an open handle the caller keeps, when
    // there is one (else opened by path). True only when the signature is
    // valid for the file's contents, chains to a root the machine trusts, and
    // the signer's name equals `publisher` exactly. An unsigned file, a
    // changed one, an untrusted or unknown chain and any other publisher are
    // all false.
    static bool IsSignedBy(HANDLE hFile, const std::wstring& path, const std::wstring& publisher);

    // The signer's name (the simple display name of its certificate's
    // subject, as the platform shows it for "verified publisher") of a
    // signature WinVerifyTrust has just accepted; false when there is none.
    static bool SignerName(HANDLE hStateData, std::wstring& name);

    // Whether the signer's certificate chain of such a signature ends in a
    // root the machine trusts, with every signature in it valid.
    static bool ChainIsTrusted(HANDLE hStateData);

private:
    // The primary signer of such a signature; null when there is none.
    static const CRYPT_PROVIDER_SGNR* Signer(HANDLE hStateData);
};
