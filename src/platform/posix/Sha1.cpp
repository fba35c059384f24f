#include "platform/Sha1.h"

#include <openssl/evp.h>
#include <new>

#include "platform/FileSystem.h"

namespace Platform {

namespace {

EVP_MD_CTX* Context(void* context) {
    return static_cast<EVP_MD_CTX*>(context);
}

void Start(EVP_MD_CTX* context) {
    if (EVP_DigestInit_ex(context, EVP_sha1(), nullptr) != 1)
        throw EPlatformError("SHA-1 is not available from the cryptography library");
}

}  // namespace

TSha1::TSha1() : FContext(EVP_MD_CTX_new()) {
    if (FContext == nullptr)
        throw std::bad_alloc();
    try {
        Start(Context(FContext));
    } catch (...) {
        EVP_MD_CTX_free(Context(FContext));
        throw;
    }
}

TSha1::~TSha1() {
    EVP_MD_CTX_free(Context(FContext));
}

void TSha1::Update(const void* data, std::size_t size) {
    if (size > 0 && EVP_DigestUpdate(Context(FContext), data, size) != 1)
        throw EPlatformError("SHA-1 update failed");
}

TSha1Digest TSha1::Final() {
    TSha1Digest digest{};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(Context(FContext), digest.data(), &length) != 1 ||
        length != digest.size())
        throw EPlatformError("SHA-1 final step failed");
    Start(Context(FContext));  // ready for the next message
    return digest;
}

}  // namespace Platform
