#include "system/AdminOnlyMutex.h"

// windows.h (through the header) first: these need its types.
#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "system/ProtectedFolder.h"

namespace {

// The owner of new objects, from this process's token: Administrators for an elevated
// process on Windows.
std::vector<BYTE> OwnOwner() {
    win::UniqueKernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put())) return {};
    std::vector<BYTE> buffer(SECURITY_MAX_SID_SIZE + sizeof(TOKEN_OWNER));
    DWORD size = 0;
    if (!::GetTokenInformation(token.Get(), TokenOwner, buffer.data(),
                               static_cast<DWORD>(buffer.size()), &size)) {
        return {};
    }
    const PSID owner = reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
    const BYTE* bytes = static_cast<const BYTE*>(owner);
    return std::vector<BYTE>(bytes, bytes + ::GetLengthSid(owner));
}

bool HasTrustedOwner(HANDLE object) {
    PSID owner = nullptr;
    win::UniqueLocal descriptor;
    if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, descriptor.Put()) != ERROR_SUCCESS ||
        owner == nullptr) {
        return false;
    }
    std::vector<BYTE> own = OwnOwner();
    return IsTrustedAccount(owner, own.empty() ? nullptr : own.data());
}

}  // namespace

AdminOnlyMutex::AdminOnlyMutex(const std::wstring& name, bool initiallyOwned) {
    win::UniqueLocal descriptor;
    // Full access for SYSTEM and Administrators, nobody else; not inherited.
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:P(A;;GA;;;SY)(A;;GA;;;BA)", SDDL_REVISION_1, descriptor.Put(), nullptr)) {
        return;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor.Get(), FALSE};
    m_mutex.Reset(::CreateMutexW(&attributes, initiallyOwned ? TRUE : FALSE, name.c_str()));
    const DWORD error = ::GetLastError();
    if (!m_mutex) {
        // A name someone else made and keeps us out of is theirs, not ours.
        m_origin = error == ERROR_ACCESS_DENIED ? Origin::Foreign : Origin::Failed;
        return;
    }
    if (error != ERROR_ALREADY_EXISTS) {
        m_origin = Origin::Created;
    } else if (HasTrustedOwner(m_mutex.Get())) {
        m_origin = Origin::Existing;
    } else {
        m_origin = Origin::Foreign;
        m_mutex.Reset();
    }
}

bool AdminOnlyMutex::TrustedOneExists(const std::wstring& name) {
    const win::UniqueKernelHandle found(
        ::OpenMutexW(SYNCHRONIZE | READ_CONTROL, FALSE, name.c_str()));
    return found && HasTrustedOwner(found.Get());
}
