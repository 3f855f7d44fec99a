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
#include <shellapi.h>  // CommandLineToArgvW
#else
#include <fcntl.h>
#include <stdio.h>  // renameat2
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

bool EndsInRoot(const std::string& path) {
    if (path.empty()) return false;
    if (path.size() == 1) return IsPathSeparator(path[0]);
    if (path.back() == ':') return true;
    return path.size() == 3 && path[1] == ':' && IsPathSeparator(path[2]);
}

std::string JoinHostPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || IsPathSeparator(folder.back())) return folder + name;
    return folder + kPreferredSeparator + name;
}

bool SameFile(const FileIdentity& a, const FileIdentity& b) {
    return a.kind != EntryKind::Missing && b.kind != EntryKind::Missing && a.device == b.device &&
           a.index == b.index;
}

namespace {

// Keeps `file` open only when it is a regular file, whose identity it then
// gives; a folder, FIFO or device is refused and closed.
bool AdmitRegularFile(OsFile& file, FileIdentity& identity, std::string& error) {
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

}  // namespace

#ifdef _WIN32

namespace {

HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

// UTF-8 inside the program, UTF-16 at the system's door.
std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
    return wide;
}

std::string Narrow(const wchar_t* wide, size_t length) {
    if (length == 0) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0,
                                      nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), &utf8[0], n, nullptr,
                            nullptr);
    return utf8;
}

std::wstring WideJoin(const std::wstring& folder, const std::string& name) {
    // The same rule as JoinHostPath: "C:" + "A.ttf" stays on drive C's
    // current folder.
    std::wstring path = folder;
    if (!path.empty() && !(path.back() < 0x80 && IsPathSeparator(static_cast<char>(path.back()))))
        path += L'\\';
    return path + Wide(name);
}

// The path the system gives for what a handle has open, every link and
// junction resolved ("\\?\C:\fonts"); false when it cannot tell.
bool FinalPath(HANDLE h, std::wstring& path) {
    std::wstring buffer(512, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(h, &buffer[0], static_cast<DWORD>(buffer.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return false;
        if (n < buffer.size()) {
            buffer.resize(n);
            path = buffer;
            return true;
        }
        buffer.assign(n + 1, L'\0');
    }
}

// A final path as people write it: "C:\fonts", "\\server\share".
std::string Displayed(const std::wstring& final) {
    if (final.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        return "\\\\" + Narrow(final.data() + 8, final.size() - 8);
    if (final.compare(0, 4, L"\\\\?\\") == 0) return Narrow(final.data() + 4, final.size() - 4);
    return Narrow(final.data(), final.size());
}

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
wchar_t g_temporary[32768];
volatile LONG g_temporary_set = 0;

BOOL WINAPI DeleteTemporaryOnControl(DWORD) {
    if (InterlockedCompareExchange(&g_temporary_set, 0, 0)) DeleteFileW(g_temporary);
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
    // Moves the file pointer too: a file is read back only once it is written.
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
    const HANDLE h =
        CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) handle_ = reinterpret_cast<intptr_t>(h);
    return h != INVALID_HANDLE_VALUE;
}

bool OpenInputForReading(const std::string& path, const std::string& folder,
                         const std::string& name, OsFile& file, FileIdentity& identity,
                         OpenedPlace& place, std::string& error) {
    place = OpenedPlace();
    // The folder first, held without delete sharing while the name is
    // looked up in it: it cannot be swapped for another meanwhile, so the
    // folder judged is the one the file was found through.
    const HANDLE folder_handle =
        CreateFileW(Wide(folder).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const bool opened = OpenForReading(path, file, identity, error);
    std::wstring file_path, folder_path;
    const bool known = opened && folder_handle != INVALID_HANDLE_VALUE &&
                       FinalPath(H(file.handle_), file_path) &&
                       FinalPath(folder_handle, folder_path);
    if (folder_handle != INVALID_HANDLE_VALUE) CloseHandle(folder_handle);
    if (!opened) return false;
    if (known) {
        // A name that resolves anywhere but in that folder went through a
        // link. Letter case aside: the name as typed, the path as stored.
        place.file = Displayed(file_path);
        place.folder = Displayed(folder_path);
        const std::wstring direct = WideJoin(folder_path, name);
        place.through_link =
            CompareStringOrdinal(direct.c_str(), static_cast<int>(direct.size()), file_path.c_str(),
                                 static_cast<int>(file_path.size()), TRUE) != CSTR_EQUAL;
    } else {
        // Where it leads cannot be told: a name that is a reparse point
        // counts as a link to somewhere unknown, which only --follow-links takes.
        const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
        place.through_link = attributes == INVALID_FILE_ATTRIBUTES ||
                             (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    }
    return true;
}

Folder::~Folder() {
    if (handle_ != -1) CloseHandle(H(handle_));
}

bool Folder::Open(const std::string& path, bool follow_link) {
    moved_ = false;
    if (handle_ != -1) CloseHandle(H(handle_));
    handle_ = -1;
    // Resolved once: the folder the path names now, and its final path.
    const HANDLE probe = CreateFileW(
        Wide(path).c_str(), FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | (follow_link ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
    if (probe == INVALID_HANDLE_VALUE) return false;
    FileIdentity resolved;
    std::wstring final;
    bool located = IdentifyHandle(probe, resolved);
    if (located && resolved.kind != EntryKind::Folder) {
        located = false;
        SetLastError(resolved.kind == EntryKind::Link ? ERROR_CANT_ACCESS_FILE : ERROR_DIRECTORY);
    }
    if (located) located = FinalPath(probe, final);
    const DWORD code = GetLastError();
    CloseHandle(probe);
    if (!located) {
        SetLastError(code);
        return false;
    }
    // Held for the run: opened at its final path, which holds no reparse
    // point, without following one, and without delete sharing, so that
    // neither it nor a folder above it can be moved or replaced by a
    // junction while the tool writes in it.
    const HANDLE held =
        CreateFileW(final.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (held == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<intptr_t>(held);
    final_ = final;
    FileIdentity now;
    if (!IdentifyHandle(held, now) || !SameFile(now, resolved) || !StillInPlace()) {
        moved_ = true;
        SetLastError(ERROR_CANT_ACCESS_FILE);
        return false;
    }
    return true;
}

bool Folder::StillInPlace() {
    std::wstring now;
    if (FinalPath(H(handle_), now) && now == final_) return true;
    moved_ = true;
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
}

FileIdentity Folder::Look(const std::string& name) {
    FileIdentity identity;
    const HANDLE h = CreateFileW(
        WideJoin(final_, name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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
        if (!StillInPlace() || !RandomName(name)) return false;
        const std::wstring path = WideJoin(final_, name);
        if (path.size() >= sizeof g_temporary / sizeof g_temporary[0]) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
        InterlockedExchange(&g_temporary_set, 0);
        std::memcpy(g_temporary, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            InterlockedExchange(&g_temporary_set, 1);
            file.handle_ = reinterpret_cast<intptr_t>(h);
            return true;
        }
        if (!LastErrorIsAlreadyExists()) return false;
    }
    return false;
}

bool Folder::Rename(const std::string& from, const std::string& to, bool replace) {
    if (!StillInPlace()) return false;
    const bool ok = MoveFileExW(WideJoin(final_, from).c_str(), WideJoin(final_, to).c_str(),
                                replace ? MOVEFILE_REPLACE_EXISTING : 0) != 0;
    if (ok) Forget();
    return ok;
}

bool Folder::Remove(const std::string& name) {
    const bool ok = DeleteFileW(WideJoin(final_, name).c_str()) != 0;
    Forget();
    return ok;
}

void Folder::Forget() { InterlockedExchange(&g_temporary_set, 0); }

std::string LastSystemError() {
    const DWORD code = GetLastError();
    wchar_t text[512];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, text, sizeof text / sizeof text[0], nullptr);
    while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L'.')) --n;
    if (n == 0) return "system error " + std::to_string(code);
    return Narrow(text, n);
}

bool LastErrorIsAlreadyExists() {
    return GetLastError() == ERROR_ALREADY_EXISTS || GetLastError() == ERROR_FILE_EXISTS;
}

void RemoveTemporaryOnSignals() { SetConsoleCtrlHandler(DeleteTemporaryOnControl, TRUE); }

bool MakeDirectory(const std::string& path) {
    return CreateDirectoryW(Wide(path).c_str(), nullptr) != 0 || StatPath(path).is_directory;
}

std::string LinkTarget(const std::string&) { return std::string(); }

std::string SelfExecutablePath() {
    // Long enough for any path Windows can load a program from; a path that
    // does not fit counts as unknown, never as a shortened one.
    std::wstring buffer(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return std::string();
    return Narrow(buffer.data(), n);
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(Narrow(wide[i], wcslen(wide[i])));
    LocalFree(wide);
    return args;
}

Utf8Console::Utf8Console() {
    DWORD mode;
    const bool console = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) ||
                         GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode);
    const UINT current = GetConsoleOutputCP();
    if (console && current != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) previous_ = current;
}

Utf8Console::~Utf8Console() {
    if (previous_) SetConsoleOutputCP(previous_);
}

bool ListFiles(const std::string& folder, std::vector<std::string>& names) {
    WIN32_FIND_DATAW found;
    // The basic information only: no short (8.3) names.
    const HANDLE h = FindFirstFileExW(WideJoin(Wide(folder), "*").c_str(), FindExInfoBasic, &found,
                                      FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(Narrow(found.cFileName, wcslen(found.cFileName)));
    } while (FindNextFileW(h, &found));
    const bool ended = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(h);
    return ended;
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

// O_NONBLOCK: opening a FIFO that no one writes to returns at once.
constexpr int kReadNoWait = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

bool OsFile::OpenNoWait(const std::string& path) {
    const int fd = open(path.c_str(), kReadNoWait);
    if (fd >= 0) handle_ = fd;
    return fd >= 0;
}

namespace {

// The real path the kernel gives for one of its /proc/self links, every
// link resolved; "" when it cannot tell, never a shortened path.
std::string KernelPath(const std::string& link) {
    char buffer[4096];
    const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer || buffer[0] != '/') return std::string();
    return std::string(buffer, static_cast<size_t>(n));
}

// The path of what a descriptor has open.
std::string RealPathOf(int fd) { return KernelPath("/proc/self/fd/" + std::to_string(fd)); }

}  // namespace

bool OpenInputForReading(const std::string&, const std::string& folder, const std::string& name,
                         OsFile& file, FileIdentity& identity, OpenedPlace& place,
                         std::string& error) {
    place = OpenedPlace();
    file.Close();
#ifdef O_PATH
    // Enough to look names up in, also in a folder one may search but not list.
    const int folder_fd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
#else
    const int folder_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#endif
    if (folder_fd < 0) {
        error = LastSystemError();
        return false;
    }
    const int fd = openat(folder_fd, name.c_str(), kReadNoWait);
    if (fd < 0)
        error = LastSystemError();
    else
        file.handle_ = fd;
    const bool ok = fd >= 0 && AdmitRegularFile(file, identity, error);
    if (ok) {
        // The name itself, not followed: a link, or by now another file,
        // means what was opened lies elsewhere.
        struct stat named;
        place.through_link = fstatat(folder_fd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
                             S_ISLNK(named.st_mode) ||
                             static_cast<uint64_t>(named.st_dev) != identity.device ||
                             static_cast<uint64_t>(named.st_ino) != identity.index;
        if (place.through_link) {
            place.file = RealPathOf(fd);
            place.folder = RealPathOf(folder_fd);
        }
    }
    close(folder_fd);
    return ok;
}

Folder::~Folder() {
    if (handle_ >= 0) close(Fd(handle_));
}

bool Folder::Open(const std::string& path, bool follow_link) {
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
        const int fd = openat(Fd(handle_), name.c_str(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            std::memcpy(g_temporary_name, name.c_str(), name.size() + 1);
            g_temporary_folder = Fd(handle_);
            file.handle_ = fd;
            return true;
        }
        if (!LastErrorIsAlreadyExists()) return false;
    }
    return false;
}

namespace {

// A rename that fails with EEXIST rather than replace anything at `to`.
bool RenameNoReplace(int folder, const char* from, const char* to) {
#ifdef RENAME_NOREPLACE
    if (renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
#endif
    // Where the file system cannot rename so: a second name, which cannot
    // replace anything, then the temporary one removed.
    if (linkat(folder, from, folder, to, 0) != 0) return false;
    unlinkat(folder, from, 0);
    return true;
}

}  // namespace

bool Folder::Rename(const std::string& from, const std::string& to, bool replace) {
    SignalsHeld held;
    const bool ok = replace ? renameat(Fd(handle_), from.c_str(), Fd(handle_), to.c_str()) == 0
                            : RenameNoReplace(Fd(handle_), from.c_str(), to.c_str());
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

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

bool LastErrorIsAlreadyExists() { return errno == EEXIST; }

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

std::string SelfExecutablePath() { return KernelPath("/proc/self/exe"); }

#endif

// What both systems share: whole reads and writes out of partial ones, the
// judgement of an opened input, a look at a path.

FileStatus StatPath(const std::string& path) {
    FileStatus status;
#ifdef _WIN32
    struct _stat64 st;  // sizes beyond 2 GiB
    if (_wstat64(Wide(path).c_str(), &st) != 0) return status;
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
    return AdmitRegularFile(file, identity, error);
}

}  // namespace kvpack
