#include "platform/Sha1.h"

#include <windows.h>
// after windows.h, whose types it uses
#include <bcrypt.h>

#include "platform/FileSystem.h"

namespace Platform {

namespace {

// One provider for the whole run; BCrypt providers may be shared between threads.
BCRYPT_ALG_HANDLE Provider() {
    static const BCRYPT_ALG_HANDLE provider = [] {
        BCRYPT_ALG_HANDLE h = nullptr;
        if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&h, BCRYPT_SHA1_ALGORITHM, nullptr, 0)))
            return BCRYPT_ALG_HANDLE(nullptr);
        return h;
    }();
    if (provider == nullptr)
        throw EPlatformError("SHA-1 is not available from the system's cryptography");
    return provider;
}

BCRYPT_HASH_HANDLE NewHash() {
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!BCRYPT_SUCCESS(::BCryptCreateHash(Provider(), &hash, nullptr, 0, nullptr, 0, 0)))
        throw EPlatformError("SHA-1 cannot be started");
    return hash;
}

}  // namespace

TSha1::TSha1() : FContext(NewHash()) {}

TSha1::~TSha1() {
    ::BCryptDestroyHash(static_cast<BCRYPT_HASH_HANDLE>(FContext));
}

void TSha1::Update(const void* data, std::size_t size) {
    auto* bytes = static_cast<PUCHAR>(const_cast<void*>(data));
    while (size > 0) {
        const ULONG piece = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
        if (!BCRYPT_SUCCESS(
                ::BCryptHashData(static_cast<BCRYPT_HASH_HANDLE>(FContext), bytes, piece, 0)))
            throw EPlatformError("SHA-1 update failed");
        bytes += piece;
        size -= piece;
    }
}

TSha1Digest TSha1::Final() {
    TSha1Digest digest{};
    if (!BCRYPT_SUCCESS(::BCryptFinishHash(static_cast<BCRYPT_HASH_HANDLE>(FContext), digest.data(),
                                           static_cast<ULONG>(digest.size()), 0)))
        throw EPlatformError("SHA-1 final step failed");
    // A finished hash object cannot take more data: a fresh one for the next message.
    BCRYPT_HASH_HANDLE next = NewHash();
    ::BCryptDestroyHash(static_cast<BCRYPT_HASH_HANDLE>(FContext));
    FContext = next;
    return digest;
}

}  // namespace Platform
