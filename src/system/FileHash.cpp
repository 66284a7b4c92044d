#include "system/FileHash.h"

#include <wincrypt.h>

namespace {

class Provider {
public:
    Provider() {
        if (!::CryptAcquireContextW(&m_handle, nullptr, nullptr, PROV_RSA_AES,
                                    CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
            m_handle = 0;
        }
    }
    ~Provider() {
        if (m_handle != 0) ::CryptReleaseContext(m_handle, 0);
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    HCRYPTPROV Get() const { return m_handle; }

private:
    HCRYPTPROV m_handle = 0;
};

class Hash {
public:
    explicit Hash(HCRYPTPROV provider) {
        if (provider == 0 || !::CryptCreateHash(provider, CALG_SHA_256, 0, 0, &m_handle)) {
            m_handle = 0;
        }
    }
    ~Hash() {
        if (m_handle != 0) ::CryptDestroyHash(m_handle);
    }
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;
    HCRYPTHASH Get() const { return m_handle; }

private:
    HCRYPTHASH m_handle = 0;
};

}  // namespace

bool Sha256OfFile(HANDLE file, Sha256& hash) {
    const Provider provider;
    const Hash running(provider.Get());
    LARGE_INTEGER start = {};
    if (running.Get() == 0 || !::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
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
