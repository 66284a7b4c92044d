#include "system/FileHash.h"

#include <wincrypt.h>

#include "win/UniqueHandle.h"

namespace {

struct ProviderTraits {
    using Handle = HCRYPTPROV;
    static Handle Invalid() { return 0; }
    static bool IsValid(Handle h) { return h != 0; }
    static void Close(Handle h) { ::CryptReleaseContext(h, 0); }
};

struct HashTraits {
    using Handle = HCRYPTHASH;
    static Handle Invalid() { return 0; }
    static bool IsValid(Handle h) { return h != 0; }
    static void Close(Handle h) { ::CryptDestroyHash(h); }
};

}  // namespace

bool Sha256OfFile(HANDLE file, Sha256& hash) {
    win::UniqueHandle<ProviderTraits> provider;
    win::UniqueHandle<HashTraits> running;
    LARGE_INTEGER start = {};
    if (!::CryptAcquireContextW(provider.Put(), nullptr, nullptr, PROV_RSA_AES,
                                CRYPT_VERIFYCONTEXT | CRYPT_SILENT) ||
        !::CryptCreateHash(provider.Get(), CALG_SHA_256, 0, 0, running.Put()) ||
        !::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
        return false;
    }
    BYTE buffer[65536];
    DWORD read = 0;
    do {
        if (!::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) ||
            !::CryptHashData(running.Get(), buffer, read, 0)) {
            return false;
        }
    } while (read > 0);
    DWORD size = static_cast<DWORD>(hash.size());
    return ::CryptGetHashParam(running.Get(), HP_HASHVAL, hash.data(), &size, 0) &&
           size == hash.size();
}
