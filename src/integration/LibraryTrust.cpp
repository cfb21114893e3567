#include "integration/LibraryTrust.h"

#include <softpub.h>
#include <wintrust.h>

#include <cstdio>
#include <vector>

#include "controls/SystemLibrary.h"

namespace {

// wintrust is no KnownDLL: it comes from the system folder by full search
// rule, never from beside the tool.
struct TrustCalls {
    using VerifyFn = LONG(WINAPI*)(HWND, GUID*, LPVOID);
    using ProvDataFn = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
    using SignerFn = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);
    VerifyFn verify = nullptr;
    ProvDataFn provData = nullptr;
    SignerFn signer = nullptr;

    TrustCalls() {
        HMODULE wintrust = LoadSystemLibrary(L"wintrust.dll");
        if (wintrust == nullptr) return;  // kept loaded for the life of the process
        auto get = [wintrust](const char* name) { return reinterpret_cast<void*>(GetProcAddress(wintrust, name)); };
        verify = reinterpret_cast<VerifyFn>(get("WinVerifyTrust"));
        provData = reinterpret_cast<ProvDataFn>(get("WTHelperProvDataFromStateData"));
        signer = reinterpret_cast<SignerFn>(get("WTHelperGetProvSignerFromChain"));
    }
    bool Complete() const { return verify && provData && signer; }
};

const TrustCalls& Calls() {
    static const TrustCalls calls;
    return calls;
}

struct Verification {
    LONG status = TRUST_E_NOSIGNATURE;
    std::vector<BYTE> signer;  // the signing certificate, DER; empty when none could be read
};

// The verifier's answer for one file and the certificate that signed it.
Verification Verify(const std::wstring& path, HANDLE file) {
    Verification result;
    const TrustCalls& calls = Calls();
    WINTRUST_FILE_INFO fileInfo = {};
    fileInfo.cbStruct = sizeof(fileInfo);
    fileInfo.pcwszFilePath = path.c_str();
    fileInfo.hFile = file;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_NONE;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    result.status = calls.verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    if (data.hWVTStateData != nullptr) {
        CRYPT_PROVIDER_DATA* provider = calls.provData(data.hWVTStateData);
        CRYPT_PROVIDER_SGNR* signer = provider ? calls.signer(provider, 0, FALSE, 0) : nullptr;
        if (signer != nullptr && signer->csCertChain > 0 && signer->pasCertChain != nullptr &&
            signer->pasCertChain[0].pCert != nullptr) {
            const CERT_CONTEXT* cert = signer->pasCertChain[0].pCert;
            result.signer.assign(cert->pbCertEncoded, cert->pbCertEncoded + cert->cbCertEncoded);
        }
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    calls.verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result;
}

// Answers that concern only the certificate's chain (its root, its
// validity period), not the bytes: the identity the tool relies on is the
// signer certificate itself, compared byte for byte, and a library signed
// with the tool's certificate after that expired still came from its
// maker.
bool ChainOnly(LONG status) {
    return status == CERT_E_UNTRUSTEDROOT || status == CERT_E_CHAINING || status == CERT_E_EXPIRED ||
           status == CERT_E_UNTRUSTEDTESTROOT;
}

// Whether the running image carries an Authenticode certificate table at
// all: its headers say so without loading the verifier, which an unsigned
// build (a developer's) then never needs.
bool ImageCarriesCertificates() {
    const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    if (base == nullptr) return true;  // cannot tell: ask the verifier
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return true;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return true;
    const IMAGE_OPTIONAL_HEADER& optional = nt->OptionalHeader;
    if (optional.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_SECURITY) return false;
    return optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY].Size != 0;
}

}  // namespace

TrustCheck CheckLibraryTrust(HANDLE library, const std::wstring& libraryPath, const std::wstring& toolPath) {
    TrustCheck check;
    if (!ImageCarriesCertificates()) {
        check.verdict = LibraryTrust::NotChecked;
        return check;
    }
    if (!Calls().Complete()) return check;  // cannot tell: refused
    const Verification tool = Verify(toolPath, nullptr);
    if (tool.status == TRUST_E_NOSIGNATURE && tool.signer.empty()) {
        check.verdict = LibraryTrust::NotChecked;
        return check;
    }
    if (tool.signer.empty()) return check;  // signed, but its signer cannot be read

    const Verification lib = Verify(libraryPath, library);
    check.status = lib.status;
    if (lib.status == TRUST_E_NOSIGNATURE || lib.status == TRUST_E_SUBJECT_FORM_UNKNOWN) {
        check.verdict = LibraryTrust::NoSignature;
    } else if (lib.status != ERROR_SUCCESS && !ChainOnly(lib.status)) {
        check.verdict = LibraryTrust::BadSignature;
    } else if (lib.signer != tool.signer) {
        check.verdict = LibraryTrust::OtherSigner;
    } else {
        check.verdict = LibraryTrust::Trusted;
    }
    return check;
}

std::wstring TrustNote(const TrustCheck& check) {
    wchar_t status[16];
    std::swprintf(status, 16, L"0x%08lx", static_cast<unsigned long>(check.status));
    switch (check.verdict) {
    case LibraryTrust::NotChecked: return L"TessaroFeedbackInformation.dll not verified: the tool is unsigned";
    case LibraryTrust::Trusted: return std::wstring(L"TessaroFeedbackInformation.dll signed by the tool's signer");
    case LibraryTrust::NoSignature: return L"no signature (" + std::wstring(status) + L")";
    case LibraryTrust::OtherSigner: return L"signed by another certificate than the tool";
    case LibraryTrust::BadSignature: return L"signature does not hold (" + std::wstring(status) + L")";
    case LibraryTrust::CheckFailed:
    default: return L"the signature could not be checked";
    }
}
