// The camera passwords in the Windows Credential Manager: a generic
// credential per origin, named "camview:" and the origin, holding the user
// name and the password (UTF-8).
#include "platform/secrets/SecretStore.h"

#include <windows.h>
#include <wincred.h>

#include <algorithm>
#include <vector>

namespace {

std::wstring wide(const std::string& text)
{
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
    return out;
}

std::string narrow(const wchar_t* text)
{
    if (!text || !*text) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(length, 1)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), length, nullptr, nullptr);
    out.resize(out.size() - 1); // the terminator
    return out;
}

std::wstring targetOf(const std::string& origin) { return L"camview:" + wide(origin); }

} // namespace

SecretStoreResult KeepCameraPassword(const std::string& origin, const std::string& user, const std::string& password)
{
    std::wstring target = targetOf(origin);
    std::wstring name = wide(user);
    std::vector<BYTE> blob(password.begin(), password.end());
    CREDENTIALW credential{};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = target.data();
    credential.UserName = name.data();
    credential.CredentialBlobSize = static_cast<DWORD>(blob.size());
    credential.CredentialBlob = blob.data();
    credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
    const BOOL kept = CredWriteW(&credential, 0);
    SecureZeroMemory(blob.data(), blob.size());
    return kept ? SecretStoreResult::Done : SecretStoreResult::NoStore;
}

SecretStoreResult FindCameraPassword(const std::string& origin, std::string& user, std::string& password)
{
    PCREDENTIALW credential = nullptr;
    if (!CredReadW(targetOf(origin).c_str(), CRED_TYPE_GENERIC, 0, &credential))
        return GetLastError() == ERROR_NOT_FOUND ? SecretStoreResult::NotFound : SecretStoreResult::NoStore;
    user = narrow(credential->UserName);
    password.assign(reinterpret_cast<const char*>(credential->CredentialBlob), credential->CredentialBlobSize);
    CredFree(credential);
    return SecretStoreResult::Done;
}
