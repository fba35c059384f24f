#include "platform/PrivateFolder.h"

#include <windows.h>
// after windows.h, whose types they use
#include <bcrypt.h>
#include <sddl.h>

#include <memory>
#include <string>

#include "platform/win32/WinText.h"

namespace Platform {

namespace {

struct TLocalFree {
    void operator()(void* p) const { ::LocalFree(p); }
};

struct THandleCloser {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};

// The current user's SID in its string form ("S-1-5-21-...").
std::wstring UserSid(TextView parent) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        Win32::Fail("Cannot create folder in", parent, ::GetLastError());
    const std::unique_ptr<void, THandleCloser> held(token);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::unique_ptr<char[]> buffer(new char[size]);
    if (!::GetTokenInformation(token, TokenUser, buffer.get(), size, &size))
        Win32::Fail("Cannot create folder in", parent, ::GetLastError());
    wchar_t* sid = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid, &sid))
        Win32::Fail("Cannot create folder in", parent, ::GetLastError());
    const std::unique_ptr<void, TLocalFree> freed(sid);
    return sid;
}

// Eight random letters and digits from the system's generator.
std::wstring RandomName(TextView parent) {
    static constexpr wchar_t Alphabet[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[8];
    if (!BCRYPT_SUCCESS(
            ::BCryptGenRandom(nullptr, bytes, sizeof bytes, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        Win32::Fail("Cannot create folder in", parent, ERROR_GEN_FAILURE);
    std::wstring name;
    for (unsigned char b : bytes)
        name += Alphabet[b % 36];
    return name;
}

}  // namespace

Text CreatePrivateFolder(const Text& parent, TextView prefix) {
    // Protected (no inherited entries), for the folder and all it will hold. The system and
    // the administrators stay: an installer elevated under another account must still
    // read its own file, and they could take the folder anyway.
    const std::wstring sddl =
        L"D:P(A;OICI;FA;;;" + UserSid(parent) + L")(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                &descriptor, nullptr))
        Win32::Fail("Cannot create folder in", parent, ::GetLastError());
    const std::unique_ptr<void, TLocalFree> freed(descriptor);
    SECURITY_ATTRIBUTES attributes{.nLength = sizeof(SECURITY_ATTRIBUTES),
                                   .lpSecurityDescriptor = descriptor,
                                   .bInheritHandle = FALSE};

    Text base = parent;
    if (base.empty() || (base.back() != u'\\' && base.back() != u'/'))
        base += u'\\';
    base += prefix;
    for (int attempt = 0;; ++attempt) {
        const Text path = base + Win32::FromWide(RandomName(parent));
        // A new folder or none: an existing entry of the name, a planted link or junction
        // included, makes it fail.
        if (::CreateDirectoryW(Win32::LongPath(path).c_str(), &attributes))
            return path;
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS || attempt == 100)
            Win32::Fail("Cannot create folder in", parent, error);
    }
}

}  // namespace Platform
