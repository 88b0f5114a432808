// The platform layer on POSIX systems.
#include "platform/platform.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace titora::platform {
namespace {

unsigned long failAt = 0;
unsigned long calls = 0;

// Counts one call and tells whether the test hook wants it to fail.
bool Injected() {
    ++calls;
    if (failAt != 0 && calls == failAt) {
        errno = EIO;
        return true;
    }
    return false;
}

int Fd(const File& file) {
    return static_cast<int>(file.handle());
}

File OpenExisting(const std::string& path, int access) {
    if (Injected()) {
        return File();
    }
    // Non-blocking, so that a FIFO or a device cannot hold the program; the caller
    // checks the type before it reads.
    int fd;
    do {
        fd = ::open(path.c_str(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd < 0 ? File() : File(fd);
}

void CopyExtendedAttributes(int from, int to) {
    const ssize_t listSize = ::flistxattr(from, nullptr, 0);
    if (listSize <= 0) {
        return;
    }
    std::vector<char> names(static_cast<std::size_t>(listSize));
    const ssize_t got = ::flistxattr(from, names.data(), names.size());
    if (got <= 0) {
        return;
    }
    std::vector<char> value;
    for (const char* name = names.data(); name < names.data() + got;
         name += std::strlen(name) + 1) {
        const ssize_t size = ::fgetxattr(from, name, nullptr, 0);
        if (size < 0) {
            continue;
        }
        value.resize(static_cast<std::size_t>(size));
        const ssize_t read = ::fgetxattr(from, name, value.data(), value.size());
        if (read >= 0) {
            // Some attributes are the system's or need privileges: left out quietly.
            ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(read), 0);
        }
    }
}

// A new file takes the default access list of its folder. The page may have none
// (made before the folder had one, or elsewhere and moved in): the copy must not give
// the users of the folder's list access that the page did not give them. False when
// such a list cannot be taken off.
bool DropInheritedAcl(int from, int to) {
    constexpr const char* kAccessAcl = "system.posix_acl_access";
    if (::fgetxattr(from, kAccessAcl, nullptr, 0) >= 0) {
        return true; // copied with the other attributes
    }
    return ::fremovexattr(to, kAccessAcl) == 0 || errno == ENODATA || errno == ENOTSUP;
}

// Folds a character set name to upper-case letters and digits: "Shift_JIS" and
// "SHIFT-JIS" become the same key.
std::string CharsetKey(const char* name) {
    std::string key;
    for (; *name != '\0'; ++name) {
        const char c = *name;
        if (c >= 'a' && c <= 'z') {
            key += static_cast<char>(c - ('a' - 'A'));
        } else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            key += c;
        }
    }
    return key;
}

// The code page of a character set named as nl_langinfo(CODESET) names it.
unsigned CodePageOfCharset(const char* charset) {
    const std::string key = CharsetKey(charset);
    if (key == "SHIFTJIS" || key == "SJIS" || key == "CP932" || key == "WINDOWS31J" ||
        key == "MSKANJI") {
        return 932;
    }
    if (key == "GBK" || key == "CP936" || key == "GB2312" || key == "EUCCN" || key == "GB18030") {
        return 936;
    }
    if (key == "EUCKR" || key == "CP949" || key == "UHC") {
        return 949;
    }
    if (key == "BIG5" || key == "BIG5HKSCS" || key == "CP950") {
        return 950;
    }
    if (key == "UTF8") {
        return 65001;
    }
    return 0;
}

// The variables that choose the locale of character types, with the folder of
// locale data, as one string: the same string names the same locale.
std::string LocaleEnvironment() {
    std::string key;
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG", "LOCPATH"}) {
        const char* value = std::getenv(name);
        key += value == nullptr ? "" : value;
        key += '\n';
    }
    return key;
}

// The character set of the locale that the environment names for character types.
// It is read from a locale object of its own, not from the program's current locale:
// a program that never calls setlocale runs in the "C" locale whatever the user
// chose, and GUI toolkits set the program's locale as they see fit (newer Qt releases
// switch LC_CTYPE to UTF-8 at start-up when the user's locale is not). Where the
// environment names no locale that exists, the program's current locale answers,
// and `*fromEnvironment` is false.
std::string EnvironmentCharset(bool* fromEnvironment) {
    const locale_t locale = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    *fromEnvironment = locale != static_cast<locale_t>(0);
    if (!*fromEnvironment) {
        return ::nl_langinfo(CODESET);
    }
    std::string charset = ::nl_langinfo_l(CODESET, locale);
    ::freelocale(locale);
    return charset;
}

} // namespace

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (isOpen()) {
            ::close(Fd(*this));
        }
        handle_ = other.release();
    }
    return *this;
}

File::~File() {
    if (isOpen()) {
        ::close(Fd(*this));
    }
}

std::intptr_t File::release() noexcept {
    const std::intptr_t handle = handle_;
    handle_ = kInvalid;
    return handle;
}

File OpenForReading(const std::string& path) {
    return OpenExisting(path, O_RDONLY);
}

File OpenForWriting(const std::string& path) {
    return OpenExisting(path, O_RDWR);
}

bool GetInfo(const File& file, FileInfo* info) {
    struct stat st;
    if (Injected() || ::fstat(Fd(file), &st) != 0) {
        return false;
    }
    info->size = static_cast<std::uint64_t>(st.st_size);
    info->regular = S_ISREG(st.st_mode);
    // Windows' read-only attribute binds every user; the owner's missing write bit is
    // its counterpart here, and binds root too.
    info->readOnly = (st.st_mode & S_IWUSR) == 0;
    info->linkCount = static_cast<std::uint64_t>(st.st_nlink);
    return true;
}

bool Read(const File& file, char* data, std::size_t size, std::size_t* got) {
    *got = 0;
    if (Injected()) {
        return false;
    }
    while (*got < size) {
        const ssize_t n = ::read(Fd(file), data + *got, size - *got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        *got += static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteAt(const File& file, std::uint64_t offset, const char* data, std::size_t size) {
    if (Injected()) {
        return false;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pwrite(Fd(file), data + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false; // disk full, file size limit, I/O error
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool Truncate(const File& file, std::uint64_t size) {
    return !Injected() && ::ftruncate(Fd(file), static_cast<off_t>(size)) == 0;
}

bool Flush(const File& file) {
    return !Injected() && ::fsync(Fd(file)) == 0;
}

bool Close(File& file) {
    const int fd = static_cast<int>(file.release());
    if (Injected()) {
        ::close(fd);
        return false;
    }
    // Linux releases the descriptor even when close reports EINTR: never retry.
    return ::close(fd) == 0;
}

bool ResolvePath(const std::string& path, std::string* resolved) {
    if (Injected()) {
        return false;
    }
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) {
        return false;
    }
    resolved->assign(real);
    std::free(real);
    return true;
}

File CreateTemporaryBeside(const std::string& target, std::string* temporaryPath) {
    if (Injected()) {
        return File();
    }
    // A short name, so that it fits wherever the page's own name fits.
    const std::size_t slash = target.rfind('/');
    std::string name = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    name += ".titora-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        return File();
    }
    *temporaryPath = name;
    return File(fd);
}

bool CopyMetadata(const File& from, const File& to) {
    struct stat st;
    if (Injected() || ::fstat(Fd(from), &st) != 0) {
        return false;
    }
    // Owner first: changing it clears the setuid and setgid bits that come next.
    if (::fchown(Fd(to), st.st_uid, st.st_gid) != 0) {
        return false;
    }
    CopyExtendedAttributes(Fd(from), Fd(to));
    if (!DropInheritedAcl(Fd(from), Fd(to))) {
        return false;
    }
    return ::fchmod(Fd(to), st.st_mode & 07777) == 0;
}

bool Rename(const std::string& from, const std::string& to) {
    return !Injected() && ::rename(from.c_str(), to.c_str()) == 0;
}

void Remove(const std::string& path) {
    ::unlink(path.c_str());
}

unsigned SystemCodePage() {
    // Loading a locale costs some microseconds, about as much as reading a small page:
    // the answer is kept while the environment names the same locale.
    thread_local std::string cachedFor;
    thread_local unsigned cached = 0;
    thread_local bool known = false;
    const std::string key = LocaleEnvironment();
    if (known && key == cachedFor) {
        return cached;
    }
    bool fromEnvironment = false;
    const unsigned codePage = CodePageOfCharset(EnvironmentCharset(&fromEnvironment).c_str());
    known = fromEnvironment;
    cachedFor = key;
    cached = codePage;
    return codePage;
}

bool SystemLeadBytes(std::bitset<256>*) {
    return false;
}

void FailNthCall(unsigned long n) {
    failAt = n;
    calls = 0;
}

unsigned long CountedCalls() {
    return calls;
}

} // namespace titora::platform
