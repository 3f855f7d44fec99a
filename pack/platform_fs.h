// The file-system services the packaging tool needs. Everything
// platform-specific about files lives in platform_fs.cpp. Paths are UTF-8
// on every system: on Windows they go to the wide-character API, so any
// name works whatever the ANSI code page.
//
// The tool runs as root in build containers, next to folders others can
// write to, so files are never written through a name that someone else
// could have prepared: every output is created under a fresh random name
// that must not exist yet (O_CREAT|O_EXCL|O_NOFOLLOW, CREATE_NEW), and then
// renamed over its final name. Inputs are opened without blocking and
// judged by the open handle, never by an earlier look at their name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kvpack {

struct FileStatus {
    bool exists = false;
    bool is_directory = false;
    bool is_regular = false;
    int64_t size = 0;
};

// Follows symbolic links; for checks that only shape a message.
FileStatus StatPath(const std::string& path);

// What an open handle, or a name looked at without following it, refers to.
enum class EntryKind { Missing, File, Folder, Link, Other };
struct FileIdentity {
    EntryKind kind = EntryKind::Missing;
    uint64_t device = 0;
    uint64_t index = 0;  // inode, or the file index on Windows
    int64_t size = 0;
};
bool SameFile(const FileIdentity& a, const FileIdentity& b);

struct OpenedPlace;

// An open file, closed when destroyed.
class OsFile {
public:
    OsFile() = default;
    ~OsFile() { Close(); }
    OsFile(const OsFile&) = delete;
    OsFile& operator=(const OsFile&) = delete;

    bool is_open() const { return handle_ != kNone; }
    bool Close();  // false when the system reports that written data did not land
    // Exactly `n` bytes at `offset`; false on an error or an early end
    // (`ended` tells which).
    bool ReadAt(int64_t offset, void* out, size_t n, bool& ended);
    bool Write(const void* data, size_t n);
    bool Identify(FileIdentity& identity);

private:
    friend bool OpenForReading(const std::string&, OsFile&, FileIdentity&, std::string&);
    friend bool OpenInputForReading(const std::string&, const std::string&, const std::string&,
                                    OsFile&, FileIdentity&, OpenedPlace&, std::string&);
    friend class Folder;
    // The system's calls, which may move fewer bytes than asked: the count
    // moved, 0 at the end of the file, -1 on an error.
    intptr_t ReadOnce(int64_t offset, void* out, size_t n);
    intptr_t WriteOnce(const void* data, size_t n);
    // Opens an existing file for reading, never blocking on a FIFO or device.
    bool OpenNoWait(const std::string& path);
    static constexpr intptr_t kNone = -1;
    intptr_t handle_ = kNone;  // a descriptor, or a HANDLE on Windows
};

// Opens an existing file for reading without ever waiting: a FIFO, a
// device or a folder is opened without blocking and then refused. The
// identity comes from the open handle. On failure `error` says why.
bool OpenForReading(const std::string& path, OsFile& file, FileIdentity& identity,
                    std::string& error);

// Where an opened input really lies, as the system names what was opened.
struct OpenedPlace {
    bool through_link = false;  // the name led elsewhere: a symbolic link was followed
    // Real paths, with every link resolved: of the opened file, and of the
    // folder the input's path names. Filled when a link was followed; ""
    // when the system cannot tell (no /proc on Linux).
    std::string file;
    std::string folder;
};

// OpenForReading for a packaged input `path`, which names the file `name`
// in `folder`: the folder is opened first and the name looked up in what
// was opened (POSIX), so `place` describes the very file that was opened.
bool OpenInputForReading(const std::string& path, const std::string& folder,
                         const std::string& name, OsFile& file, FileIdentity& identity,
                         OpenedPlace& place, std::string& error);

// A folder in which the tool creates files. Its name is resolved once, when
// opened, and the folder is held open for the life of the object: later
// operations work on the opened folder (POSIX), or on its final path while
// a handle without delete sharing keeps it from being moved or replaced
// (Windows); every creation and rename there first checks that the held
// folder's final path is still the one resolved at the start.
class Folder {
public:
    Folder() = default;
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    // With `follow_link` false a symbolic link (a reparse point on Windows)
    // at `path` itself is refused.
    bool Open(const std::string& path, bool follow_link);
    // True once an operation found the folder moved away from the path it
    // was opened at (Windows); nothing more is written then.
    bool moved() const { return moved_; }

    // What `name` in this folder is, without following a link.
    FileIdentity Look(const std::string& name);
    // A new file, open for writing and reading back, under a fresh random
    // name, created only if nothing of that name exists; the name is
    // registered for removal on a fatal signal until Forget() is called.
    bool CreateTemporary(OsFile& file, std::string& name);
    // Renames `from` to `to`; with `replace` false it fails, with
    // LastErrorIsAlreadyExists(), when anything is at `to`, never replacing it.
    bool Rename(const std::string& from, const std::string& to, bool replace = true);
    bool Remove(const std::string& name);
    void Forget();  // the temporary no longer needs removing on a signal

private:
    intptr_t handle_ = -1;  // the folder's descriptor (POSIX) or HANDLE (Windows)
    bool moved_ = false;
#ifdef _WIN32
    bool StillInPlace();  // false, and `moved_` set, when moved
    std::wstring final_;  // the folder's final path, resolved when opened
#endif
};

// The last failed call's reason ("No such file or directory").
std::string LastSystemError();
// Whether the last failed call failed because its target name was taken.
bool LastErrorIsAlreadyExists();

// Removes the registered temporary file when the tool is stopped by a
// signal (POSIX: HUP INT QUIT PIPE ALRM TERM USR1 USR2 XCPU XFSZ VTALRM
// PROF; Windows: Ctrl+C, Ctrl+Break, closing the console, logoff,
// shutdown). A signal that was ignored when the tool started stays ignored.
void RemoveTemporaryOnSignals();

// Creates one folder level; true when it exists afterwards.
bool MakeDirectory(const std::string& path);

// Where a symbolic link points, "" when `path` is none.
std::string LinkTarget(const std::string& path);

// The full path of the running program, or "" when it cannot be told (no
// /proc on Linux; any failure on Windows). Linux gives it with every link
// resolved; Windows gives the path the program was started by.
std::string SelfExecutablePath();

#ifdef _WIN32
// The names of the files (not folders) in `folder`, in no particular order;
// false when it cannot be listed. For wildcards, which no Windows shell
// expands for the program.
bool ListFiles(const std::string& folder, std::vector<std::string>& names);
#endif

// The program's arguments after its name, in UTF-8. On Windows they are
// taken from the UTF-16 command line: the ANSI `argv` would lose every
// character outside the user's code page.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// While it lives, a Windows console shows the tool's UTF-8 output as UTF-8;
// the console's code page is restored afterwards. Nothing elsewhere.
class Utf8Console {
public:
    Utf8Console();
    ~Utf8Console();
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
    [[maybe_unused]] unsigned previous_ = 0;  // the code page to restore; 0: none changed
};

// Path syntax of the platform the tool runs on.
bool IsPathSeparator(char c);
// Whether the last character of `path` belongs to its root, so that dropping
// trailing separators must keep it: "/" (and "\" on Windows), a drive's
// root "C:/" (and "C:\"), or a name that ends in ':' such as the drive "C:"
// (its current folder), where dropping it would name another folder.
bool EndsInRoot(const std::string& path);
constexpr char kPreferredSeparator =
#ifdef _WIN32
    '\\';
#else
    '/';
#endif
// `folder` + `name` with one separator between them, in the host's syntax
// ("out" + "A.ttf" -> "out/A.ttf"); `name` alone for an empty folder.
std::string JoinHostPath(const std::string& folder, const std::string& name);

}  // namespace kvpack
