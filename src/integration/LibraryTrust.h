#pragma once
// Whether the companion library may run in the elevated tool. The library
// is loaded from the tool's own folder, which is often one its user, or
// others, can write (Downloads, a share): loading it runs its code with the
// tool's rights, as SYSTEM under a deployment engine. A signed tool
// therefore loads only a library signed by the very certificate that signed
// the tool; an unsigned tool (a development build) cannot tell and says so.
#include <windows.h>

#include <string>

enum class LibraryTrust {
    NotChecked,    // the tool itself carries no signature
    Trusted,       // its signature holds and its signer is the tool's own
    NoSignature,   // the library carries no signature
    OtherSigner,   // signed, by another certificate
    BadSignature,  // the signature does not hold for these bytes
    CheckFailed,   // no check could be made (the verifier or the tool's own signer missing)
};

struct TrustCheck {
    LibraryTrust verdict = LibraryTrust::CheckFailed;
    long status = 0;  // the verifier's answer for the library (an HRESULT), 0 when none
};

// Whether a library with this verdict may be loaded.
inline bool MayLoad(LibraryTrust verdict) {
    return verdict == LibraryTrust::Trusted || verdict == LibraryTrust::NotChecked;
}

// Checks the library open in `library` (its path `libraryPath`; the caller
// holds the handle, sharing neither writing nor deletion, until the library
// is loaded, so that the bytes checked are the bytes loaded) against the
// signer of the executable at `toolPath`. No user interface, no revocation
// fetched over the network.
TrustCheck CheckLibraryTrust(HANDLE library, const std::wstring& libraryPath, const std::wstring& toolPath);

// The run log's words for a verdict: "not verified: the tool is unsigned",
// "no signature (0x800b0100)" and the like.
std::wstring TrustNote(const TrustCheck& check);
