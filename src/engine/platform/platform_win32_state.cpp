// The platform layer on Windows: the user's state folder and the files in it, who the
// user is, and the system's code page.
#include "platform/platform.h"
#include "platform/win32.h"

#include <aclapi.h>

#include <sddl.h>
#include <shlobj.h>

#include <memory>
#include <vector>

namespace titora::platform {

using win32::Injected;
using win32::kNoFollow;
using win32::kShareAll;
using win32::Native;
using win32::OpenRelative;
using win32::Value;

namespace {

// What the process's token says about its user: the user, and the owner its new files
// get (for an elevated administrator, the Administrators group). Read once: a process
// keeps its token.
struct TokenSids {
    std::vector<unsigned char> user;
    std::vector<unsigned char> owner;
};

std::vector<unsigned char> TokenPart(HANDLE token, TOKEN_INFORMATION_CLASS part) {
    DWORD size = 0;
    ::GetTokenInformation(token, part, nullptr, 0, &size);
    std::vector<unsigned char> data(size);
    if (size == 0 || !::GetTokenInformation(token, part, data.data(), size, &size)) {
        data.clear();
    }
    return data;
}

const TokenSids& Token() {
    static const TokenSids sids = [] {
        TokenSids read;
        HANDLE token = nullptr;
        if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
            read.user = TokenPart(token, TokenUser);
            read.owner = TokenPart(token, TokenOwner);
            ::CloseHandle(token);
        }
        return read;
    }();
    return sids;
}

PSID UserSid() {
    const TokenSids& token = Token();
    return token.user.empty() ? nullptr
                              : reinterpret_cast<const TOKEN_USER*>(token.user.data())->User.Sid;
}

PSECURITY_DESCRIPTOR MakeOwnerOnly(bool inheritable) {
    char* sid = nullptr;
    if (UserSid() == nullptr || !::ConvertSidToStringSidA(UserSid(), &sid)) {
        return nullptr;
    }
    // Protected: nothing comes from the folder above. "FA": all rights.
    const std::string text =
        std::string("D:P(A;") + (inheritable ? "OICI" : "") + ";FA;;;" + sid + ")";
    ::LocalFree(sid);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    return ::ConvertStringSecurityDescriptorToSecurityDescriptorA(text.c_str(), SDDL_REVISION_1,
                                                                  &descriptor, nullptr)
               ? descriptor
               : nullptr;
}

bool Absolute(const std::string& path) {
    return (path.size() > 2 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
           path.rfind("\\\\", 0) == 0;
}

// %LOCALAPPDATA%\Titora, or "" when the user has no such folder.
std::string StatePath() {
    char value[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA("LOCALAPPDATA", value, sizeof value);
    std::string base = length > 0 && length < sizeof value ? std::string(value, length) : "";
    if (!Absolute(base)) {
        base = ::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, value) == S_OK
                   ? std::string(value)
                   : std::string();
    }
    return base.empty() ? std::string() : base + "\\Titora";
}

bool OwnedByUser(HANDLE folder) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const bool own = owner != nullptr && win32::IsOwnSid(owner);
    ::LocalFree(descriptor);
    return own;
}

std::string Narrow(const wchar_t* name, std::size_t length, bool* exact) {
    const int size = static_cast<int>(length);
    BOOL lossy = FALSE;
    const int bytes = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, size, nullptr, 0,
                                            nullptr, &lossy);
    std::string narrow(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, size, narrow.data(), bytes, nullptr,
                          &lossy);
    *exact = bytes > 0 && !lossy;
    return narrow;
}

} // namespace

namespace win32 {

PSECURITY_DESCRIPTOR OwnerOnly(bool inheritable) {
    // Made once each and kept for the life of the process.
    static const PSECURITY_DESCRIPTOR forFile = MakeOwnerOnly(false);
    static const PSECURITY_DESCRIPTOR forFolder = MakeOwnerOnly(true);
    return inheritable ? forFolder : forFile;
}

bool IsOwnSid(PSID owner) {
    const TokenSids& token = Token();
    return (UserSid() != nullptr && ::EqualSid(owner, UserSid())) ||
           (!token.owner.empty() &&
            ::EqualSid(owner, reinterpret_cast<const TOKEN_OWNER*>(token.owner.data())->Owner));
}

} // namespace win32

bool InStateFolder(const std::string& name) {
    const std::string state = Injected("InStateFolder") ? std::string() : StatePath();
    return !state.empty() &&
           ::GetFileAttributesA((state + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

Folder OpenStateFolder(bool create, std::string* trouble) {
    std::string why;
    if (trouble == nullptr) {
        trouble = &why;
    }
    trouble->clear();
    if (Injected("OpenStateFolder")) {
        return Folder();
    }
    const std::string path = StatePath();
    if (path.empty()) {
        return Folder();
    }
    // The folder itself, never what a link or junction at its name leads to.
    const auto open = [&] {
        return Folder(Value(win32::OpenByPath(
            path, FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL,
            kShareAll, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT)));
    };
    Folder folder = open();
    if (!folder.isOpen() && ::GetLastError() == ERROR_FILE_NOT_FOUND && create) {
        SECURITY_ATTRIBUTES security = {sizeof security, win32::OwnerOnly(true), FALSE};
        ::CreateDirectoryA(path.c_str(), &security);
        folder = open();
    }
    if (!folder.isOpen()) {
        return Folder();
    }
    const auto refuse = [&](const char* reason) {
        *trouble = "the state folder " + path + " is not safe to use: " + path + reason;
        return Folder();
    };
    FILE_BASIC_INFO basic;
    if (!::GetFileInformationByHandleEx(Native(folder), FileBasicInfo, &basic, sizeof basic) ||
        (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return refuse(" is a link");
    }
    // Journals hold copies of pages: a folder of someone else's is no place for them.
    if (!OwnedByUser(Native(folder))) {
        return refuse(" belongs to another user");
    }
    return folder;
}

bool IsPrivateFile(const File& file) {
    FileInfo info;
    return win32::Describe(Native(file), &info) && info.regular && info.linkCount == 1 &&
           OwnedByUser(Native(file));
}

File CreateInFolder(const Folder& folder, const std::string& name) {
    if (Injected("CreateInFolder")) {
        return File();
    }
    return File(Value(OpenRelative(Native(folder), name, GENERIC_READ | GENERIC_WRITE, kShareAll,
                                   FILE_CREATE, win32::kFileOnly, win32::OwnerOnly(false))));
}

bool RemoveInFolder(const Folder& folder, const std::string& name) {
    if (Injected("RemoveInFolder")) {
        return false;
    }
    // The name goes when the last handle of the file closes.
    const File file(
        Value(OpenRelative(Native(folder), name, DELETE, kShareAll, FILE_OPEN, kNoFollow)));
    return file.isOpen() && win32::MarkForDeletion(Native(file));
}

bool RenameInFolder(const Folder& folder, const std::string& from, const std::string& to) {
    if (Injected("RenameInFolder")) {
        return false;
    }
    const File file(
        Value(OpenRelative(Native(folder), from, DELETE, kShareAll, FILE_OPEN, kNoFollow)));
    return file.isOpen() && win32::RenameRelative(Native(file), Native(folder), to, false);
}

bool FlushFolder(const Folder& folder) {
    // NTFS writes a name change to its log before the change is done, and a flush of the
    // file the name belongs to forces that log to the disk: the folder needs no flush of
    // its own.
    (void)folder;
    return !Injected("FlushFolder");
}

bool ListFolder(const Folder& folder, std::vector<std::string>* names) {
    names->clear();
    if (Injected("ListFolder")) {
        return false;
    }
    std::vector<unsigned char> buffer(64 * 1024);
    for (FILE_INFO_BY_HANDLE_CLASS query = FileFullDirectoryRestartInfo;;
         query = FileFullDirectoryInfo) {
        if (!::GetFileInformationByHandleEx(Native(folder), query, buffer.data(),
                                            static_cast<DWORD>(buffer.size()))) {
            return ::GetLastError() == ERROR_NO_MORE_FILES;
        }
        for (std::size_t at = 0;;) {
            const auto* entry = reinterpret_cast<const FILE_FULL_DIR_INFO*>(buffer.data() + at);
            bool exact = false;
            const std::string name =
                Narrow(entry->FileName, entry->FileNameLength / sizeof(wchar_t), &exact);
            // A name without a spelling in the code page could not be opened again.
            if (exact && name != "." && name != "..") {
                names->push_back(name);
            }
            if (entry->NextEntryOffset == 0) {
                break;
            }
            at += entry->NextEntryOffset;
        }
    }
}

unsigned SystemCodePage() {
    return ::GetACP();
}

bool SystemLeadBytes(std::bitset<256>* lead) {
    // The system's code page is chosen when Windows starts and stays: one table will do.
    static const std::bitset<256> table = [] {
        std::bitset<256> bytes;
        const UINT codePage = ::GetACP();
        for (unsigned byte = 0; byte < 256; ++byte) {
            if (::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(byte))) {
                bytes.set(byte);
            }
        }
        return bytes;
    }();
    *lead = table;
    return true;
}

} // namespace titora::platform
