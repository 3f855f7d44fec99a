#ifdef _WIN32
#define _CRT_RAND_S  // rand_s: the system's random numbers
#endif
#include "platform_fs.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <sys/stat.h>
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kvpack {

namespace {

// Twelve random letters and digits: 60 bits, so no one can guess the name
// in advance, and short enough for any output name next to it.
bool RandomName(std::string& name) {
    unsigned char bytes[12];
#ifdef _WIN32
    for (unsigned char& b : bytes) {
        unsigned int value = 0;
        if (rand_s(&value) != 0) return false;
        b = static_cast<unsigned char>(value);
    }
#else
    size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<size_t>(n);
    }
#endif
    name = ".kervale-";
    for (unsigned char b : bytes) name += "abcdefghijklmnopqrstuvwxyz234567"[b & 31];
    name += ".part";
    return true;
}

constexpr int kCreateAttempts = 16;

}  // namespace

bool IsPathSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/' || c == ':';
#else
    return c == '/';
#endif
}

std::string JoinHostPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || IsPathSeparator(folder.back())) return folder + name;
    return folder + kPreferredSeparator + name;
}

bool SameFile(const FileIdentity& a, const FileIdentity& b) {
    return a.kind != EntryKind::Missing && b.kind != EntryKind::Missing && a.device == b.device &&
           a.index == b.index;
}

#ifdef _WIN32

namespace {

HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

bool IdentifyHandle(HANDLE h, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info)) {
        identity.kind = GetFileType(h) == FILE_TYPE_DISK ? EntryKind::Missing : EntryKind::Other;
        return identity.kind == EntryKind::Other;
    }
    identity.device = info.dwVolumeSerialNumber;
    identity.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.size =
        static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        identity.kind = EntryKind::Link;
    else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        identity.kind = EntryKind::Folder;
    else if (GetFileType(h) == FILE_TYPE_DISK)
        identity.kind = EntryKind::File;
    else
        identity.kind = EntryKind::Other;
    return true;
}

// The temporary file to delete when the console is interrupted. The handle
// was opened with FILE_SHARE_DELETE, so the delete takes effect when the
// process ends and closes it.
char g_temporary[4096];
volatile LONG g_temporary_set = 0;

BOOL WINAPI DeleteTemporaryOnControl(DWORD) {
    if (InterlockedCompareExchange(&g_temporary_set, 0, 0)) DeleteFileA(g_temporary);
    return FALSE;  // the default handler ends the process
}

}  // namespace

bool OsFile::Close() {
    if (handle_ == kNone) return true;
    const bool ok = CloseHandle(H(handle_)) != 0;
    handle_ = kNone;
    return ok;
}

namespace {

// At most 1 GiB a call: ReadFile and WriteFile count in 32 bits.
DWORD CallSize(size_t n) { return n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n); }

}  // namespace

intptr_t OsFile::ReadOnce(int64_t offset, void* out, size_t n) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
    DWORD got = 0;
    if (!ReadFile(H(handle_), out, CallSize(n), &got, &at))
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return static_cast<intptr_t>(got);
}

intptr_t OsFile::WriteOnce(const void* data, size_t n) {
    DWORD put = 0;
    if (!WriteFile(H(handle_), data, CallSize(n), &put, nullptr)) return -1;
    return static_cast<intptr_t>(put);
}

bool OsFile::Identify(FileIdentity& identity) { return IdentifyHandle(H(handle_), identity); }

bool OsFile::OpenNoWait(const std::string& path) {
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) handle_ = reinterpret_cast<intptr_t>(h);
    return h != INVALID_HANDLE_VALUE;
}

Folder::~Folder() = default;

bool Folder::Open(const std::string& path, bool follow_link) {
    path_ = path;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (!follow_link && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        SetLastError(ERROR_CANT_ACCESS_FILE);
        return false;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    return true;
}

FileIdentity Folder::Look(const std::string& name) {
    FileIdentity identity;
    const HANDLE h =
        CreateFileA(JoinHostPath(path_, name).c_str(), 0,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND)
            identity.kind = EntryKind::Other;  // there, but not ours to look at
        return identity;
    }
    if (!IdentifyHandle(h, identity)) identity.kind = EntryKind::Other;
    CloseHandle(h);
    return identity;
}

bool Folder::CreateTemporary(OsFile& file, std::string& name) {
    file.Close();
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        if (!RandomName(name)) return false;
        const std::string path = JoinHostPath(path_, name);
        if (path.size() >= sizeof g_temporary) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
        InterlockedExchange(&g_temporary_set, 0);
        std::memcpy(g_temporary, path.c_str(), path.size() + 1);
        const HANDLE h =
            CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            InterlockedExchange(&g_temporary_set, 1);
            file.handle_ = reinterpret_cast<intptr_t>(h);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

bool Folder::Rename(const std::string& from, const std::string& to) {
    const bool ok = MoveFileExA(JoinHostPath(path_, from).c_str(), JoinHostPath(path_, to).c_str(),
                                MOVEFILE_REPLACE_EXISTING) != 0;
    if (ok) Forget();
    return ok;
}

bool Folder::Remove(const std::string& name) {
    const bool ok = DeleteFileA(JoinHostPath(path_, name).c_str()) != 0;
    Forget();
    return ok;
}

void Folder::Forget() { InterlockedExchange(&g_temporary_set, 0); }

std::string LastSystemError() {
    const DWORD code = GetLastError();
    char text[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, text, sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.')) --n;
    if (n == 0) return "system error " + std::to_string(code);
    return std::string(text, n);
}

void RemoveTemporaryOnSignals() { SetConsoleCtrlHandler(DeleteTemporaryOnControl, TRUE); }

bool MakeDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != 0 || StatPath(path).is_directory;
}

std::string LinkTarget(const std::string&) { return std::string(); }

std::string SelfExecutablePath() {
    char buffer[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return std::string();
    return std::string(buffer, n);
}

#else  // POSIX

namespace {

int Fd(intptr_t h) { return static_cast<int>(h); }

void Describe(const struct stat& st, FileIdentity& identity) {
    identity.device = static_cast<uint64_t>(st.st_dev);
    identity.index = static_cast<uint64_t>(st.st_ino);
    identity.size = static_cast<int64_t>(st.st_size);
    identity.kind = S_ISREG(st.st_mode) ? EntryKind::File
                    : S_ISDIR(st.st_mode) ? EntryKind::Folder
                    : S_ISLNK(st.st_mode) ? EntryKind::Link
                                          : EntryKind::Other;
}

// The signals whose default action ends the process and that another
// process, the terminal or the kernel's limits send: on each, the
// temporary file is removed first. SIGKILL and SIGSTOP cannot be caught.
const int kStopSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGPIPE, SIGALRM,   SIGTERM,
                            SIGUSR1, SIGUSR2, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF};

// The temporary file a signal removes: the folder's descriptor and the
// name within it. Changed only while those signals are blocked.
volatile sig_atomic_t g_temporary_folder = -1;
char g_temporary_name[64];

extern "C" void RemoveTemporaryAndStop(int signal_number) {
    if (g_temporary_folder >= 0) unlinkat(g_temporary_folder, g_temporary_name, 0);
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);  // delivered, with the default action, when this returns
}

// Blocks the stop signals for the life of the object.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        for (int s : kStopSignals) sigaddset(&set, s);
        sigprocmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsHeld() {
        const int saved = errno;
        sigprocmask(SIG_SETMASK, &old_, nullptr);
        errno = saved;
    }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t old_;
};

}  // namespace

bool OsFile::Close() {
    if (handle_ == kNone) return true;
    const bool ok = close(Fd(handle_)) == 0;
    handle_ = kNone;
    return ok;
}

intptr_t OsFile::ReadOnce(int64_t offset, void* out, size_t n) {
    ssize_t got;
    do {
        got = pread(Fd(handle_), out, n, static_cast<off_t>(offset));
    } while (got < 0 && errno == EINTR);
    return got;
}

intptr_t OsFile::WriteOnce(const void* data, size_t n) {
    ssize_t put;
    do {
        put = write(Fd(handle_), data, n);
    } while (put < 0 && errno == EINTR);
    return put;
}

bool OsFile::Identify(FileIdentity& identity) {
    struct stat st;
    if (fstat(Fd(handle_), &st) != 0) return false;
    Describe(st, identity);
    return true;
}

bool OsFile::OpenNoWait(const std::string& path) {
    // O_NONBLOCK: opening a FIFO that no one writes to returns at once.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) handle_ = fd;
    return fd >= 0;
}

Folder::~Folder() {
    if (handle_ >= 0) close(Fd(handle_));
}

bool Folder::Open(const std::string& path, bool follow_link) {
    path_ = path;
    if (handle_ >= 0) close(Fd(handle_));
    handle_ =
        open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (follow_link ? 0 : O_NOFOLLOW));
    return handle_ >= 0;
}

FileIdentity Folder::Look(const std::string& name) {
    FileIdentity identity;
    struct stat st;
    if (fstatat(Fd(handle_), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        Describe(st, identity);
    else if (errno != ENOENT)
        identity.kind = EntryKind::Other;  // there, but not ours to look at
    return identity;
}

bool Folder::CreateTemporary(OsFile& file, std::string& name) {
    file.Close();
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        if (!RandomName(name)) return false;
        SignalsHeld held;  // the name is registered together with the file
        const int fd =
            openat(Fd(handle_), name.c_str(),
                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            std::memcpy(g_temporary_name, name.c_str(), name.size() + 1);
            g_temporary_folder = Fd(handle_);
            file.handle_ = fd;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool Folder::Rename(const std::string& from, const std::string& to) {
    SignalsHeld held;
    const bool ok = renameat(Fd(handle_), from.c_str(), Fd(handle_), to.c_str()) == 0;
    if (ok) g_temporary_folder = -1;
    return ok;
}

bool Folder::Remove(const std::string& name) {
    SignalsHeld held;
    const bool ok = unlinkat(Fd(handle_), name.c_str(), 0) == 0;
    g_temporary_folder = -1;
    return ok;
}

void Folder::Forget() {
    SignalsHeld held;
    g_temporary_folder = -1;
}

std::string LastSystemError() { return errno ? std::strerror(errno) : "unknown error"; }

void RemoveTemporaryOnSignals() {
    for (int s : kStopSignals) {
        struct sigaction action, old;
        if (sigaction(s, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
        std::memset(&action, 0, sizeof action);
        action.sa_handler = RemoveTemporaryAndStop;
        sigfillset(&action.sa_mask);  // one clean-up at a time
        sigaction(s, &action, nullptr);
    }
}

bool MakeDirectory(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && StatPath(path).is_directory);
}

std::string LinkTarget(const std::string& path) {
    char buffer[4096];
    const ssize_t n = readlink(path.c_str(), buffer, sizeof buffer);
    if (n <= 0) return std::string();
    return std::string(buffer, static_cast<size_t>(n));
}

std::string SelfExecutablePath() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer) return std::string();
    return std::string(buffer, static_cast<size_t>(n));
}

#endif

// What both systems share: whole reads and writes out of partial ones, the
// judgement of an opened input, a look at a path.

FileStatus StatPath(const std::string& path) {
    FileStatus status;
#ifdef _WIN32
    struct _stat64 st;  // sizes beyond 2 GiB
    if (_stat64(path.c_str(), &st) != 0) return status;
#else
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return status;
#endif
    status.exists = true;
    status.is_directory = (st.st_mode & S_IFMT) == S_IFDIR;
    status.is_regular = (st.st_mode & S_IFMT) == S_IFREG;
    status.size = static_cast<int64_t>(st.st_size);
    return status;
}

bool OsFile::ReadAt(int64_t offset, void* out, size_t n, bool& ended) {
    ended = false;
    unsigned char* p = static_cast<unsigned char*>(out);
    while (n > 0) {
        const intptr_t got = ReadOnce(offset, p, n);
        if (got <= 0) {
            ended = got == 0;
            return false;
        }
        p += got;
        n -= static_cast<size_t>(got);
        offset += got;
    }
    return true;
}

bool OsFile::Write(const void* data, size_t n) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    while (n > 0) {
        const intptr_t put = WriteOnce(p, n);
        if (put <= 0) return false;
        p += put;
        n -= static_cast<size_t>(put);
    }
    return true;
}

bool OpenForReading(const std::string& path, OsFile& file, FileIdentity& identity,
                    std::string& error) {
    file.Close();
    if (!file.OpenNoWait(path)) {
        error = LastSystemError();
        return false;
    }
    identity = FileIdentity();
    if (!file.Identify(identity)) {
        error = LastSystemError();
        file.Close();
        return false;
    }
    if (identity.kind == EntryKind::File) return true;
    error = identity.kind == EntryKind::Folder ? "it is a folder, not a file"
                                               : "it is not a regular file";
    file.Close();
    return false;
}

}  // namespace kvpack
