#include "files.h"

#include <cstring>

#include <sddl.h>

#include "text_utils.h"

// The linker's symbol at the start of the program's image.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace kv::platform {

namespace {

// Moves `n` bytes in calls of at most 1 GiB each, as ReadFile and WriteFile
// take a 32-bit count and may move less than asked; a call that fails or
// moves nothing ends it.
template <typename Byte, typename Call>
bool InChunks(Byte* p, size_t n, Call&& call) {
    while (n > 0) {
        const DWORD want = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
        DWORD moved = 0;
        if (!call(p, want, moved) || moved == 0) return false;
        p += moved;
        n -= moved;
    }
    return true;
}

// The access list of every extracted file, made once and kept to the end of
// the program. Protected, so the folder's inheritable entries (the
// creator's full control among them) do not apply.
PSECURITY_DESCRIPTOR g_fresh_file_descriptor = nullptr;

}  // namespace

Handle OpenForReading(const char* path) {
    return Handle(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

Handle CreateForWriting(const char* path) {
    return Handle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
}

Handle CreateFresh(const char* path) {
    if (!DeleteFileA(path) && GetLastError() != ERROR_FILE_NOT_FOUND) return Handle();
    if (!g_fresh_file_descriptor && !ConvertStringSecurityDescriptorToSecurityDescriptorA(
                                        "D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FR;;;BU)", SDDL_REVISION_1,
                                        &g_fresh_file_descriptor, nullptr))
        return Handle();
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, g_fresh_file_descriptor, FALSE};
    return Handle(CreateFileA(path, GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

int64_t FileSource::size() {
    LARGE_INTEGER n;
    if (!file_.valid() || !GetFileSizeEx(file_.get(), &n)) return -1;
    return n.QuadPart;
}

bool FileSource::read(int64_t offset, void* out, size_t n) {
    if (!file_.valid() || offset < 0) return false;
    LARGE_INTEGER at;
    at.QuadPart = offset;
    if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN)) return false;
    return InChunks(static_cast<char*>(out), n, [&](char* p, DWORD want, DWORD& got) {
        return ReadFile(file_.get(), p, want, &got, nullptr);
    });
}

bool FileSink::write(const void* data, size_t n) {
    if (!file_.valid()) return false;
    return InChunks(static_cast<const char*>(data), n, [&](const char* p, DWORD want, DWORD& put) {
        return WriteFile(file_.get(), p, want, &put, nullptr);
    });
}

bool ReadTextFile(const char* path, String& out) {
    FileSource file(OpenForReading(path));
    return ReadTextStart(file, out);
}

bool DeleteOneFile(const char* path) { return DeleteFileA(path) != 0; }

bool CopyOneFile(const char* from, const char* to) { return CopyFileA(from, to, FALSE) != 0; }

namespace {

// A text the system writes into a buffer of ours: the buffer doubles from
// MAX_PATH until the text fits, up to the longest path Windows has, so a
// deep folder is never cut short. `fill` returns the text's length, the
// buffer's size or more when it did not fit, 0 when it failed.
class WideText {
public:
    WideText() = default;
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;
    ~WideText() { delete[] text_; }

    using Fill = DWORD (*)(wchar_t* buffer, DWORD size, void* context);
    bool Read(Fill fill, void* context) {
        for (DWORD size = MAX_PATH; size <= 0x10000; size *= 2) {
            delete[] text_;
            text_ = new wchar_t[size];
            const DWORD n = fill(text_, size, context);
            if (n == 0) return false;
            if (n < size) {
                text_[n] = L'\0';
                return true;
            }
        }
        return false;
    }
    const wchar_t* get() const { return text_; }

private:
    wchar_t* text_ = nullptr;
};

[[gnu::noinline]] bool SamePath(const wchar_t* a, const wchar_t* b) {
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

// Starts with "\??\" (`second` '?', Wine's name of an image) or with "\\?\"
// (`second` '\\', the DOS form of a handle's path).
bool HasDosPrefix(const wchar_t* path, wchar_t second) {
    return path[0] == L'\\' && path[1] == second && path[2] == L'?' && path[3] == L'\\';
}

// The system's own query behind GetMappedFileNameW, which cuts the name at
// MAX_PATH characters; ntdll has it on every Windows.
using QueryVirtualMemoryFunction = LONG(WINAPI*)(HANDLE process, const void* address, int what,
                                                 void* out, SIZE_T size, SIZE_T* written);
constexpr int kMappedFileName = 2;  // MemoryMappedFilenameInformation
constexpr LONG kBufferOverflow = static_cast<LONG>(0x80000005);
// NtCurrentProcess: the handle that stands for the calling process.
const HANDLE kThisProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

// What the name readers below need.
struct ImageAndFile {
    QueryVirtualMemoryFunction query;
    HANDLE file;
    DWORD volume_name;  // the form of the handle's path: VOLUME_NAME_NT or _DOS
};

DWORD ModuleName(wchar_t* buffer, DWORD size, void*) {
    return GetModuleFileNameW(nullptr, buffer, size);
}
// The answer is a UNICODE_STRING followed by the text it points at, which
// is moved to the buffer's start.
DWORD MappedName(wchar_t* buffer, DWORD size, void* context) {
    struct {
        USHORT length, maximum_length;
        wchar_t* text;
    } name;
    const LONG status = static_cast<ImageAndFile*>(context)->query(
        kThisProcess, &__ImageBase, kMappedFileName, buffer, size * sizeof(wchar_t), nullptr);
    if (status == kBufferOverflow) return size;
    if (status < 0) return 0;
    std::memcpy(&name, buffer, sizeof name);
    std::memmove(buffer, name.text, name.length);
    return name.length / sizeof(wchar_t);
}
// The opened name, not the normalised one: it is spelt as the image's
// mapped name is, short (8.3) folder names and all.
DWORD FinalName(wchar_t* buffer, DWORD size, void* context) {
    const auto* c = static_cast<ImageAndFile*>(context);
    return GetFinalPathNameByHandleW(c->file, buffer, size, c->volume_name | FILE_NAME_OPENED);
}

// The image's mapped file is the file behind the handle: Windows names the
// image by its device path ("\Device\HarddiskVolume2\...") and so does the
// handle's NT form; Wine names the image by its DOS path under "\??\",
// which the handle's DOS form spells under "\\?\".
bool IsRunningImage(HANDLE file) {
    ImageAndFile context = {reinterpret_cast<QueryVirtualMemoryFunction>(
                                SystemFunction("ntdll", "NtQueryVirtualMemory")),
                            file, VOLUME_NAME_NT};
    WideText mapped, final_path;
    if (!context.query || !mapped.Read(MappedName, &context)) return false;
    if (final_path.Read(FinalName, &context) && SamePath(mapped.get(), final_path.get()))
        return true;
    context.volume_name = VOLUME_NAME_DOS;
    return HasDosPrefix(mapped.get(), L'?') && final_path.Read(FinalName, &context) &&
           HasDosPrefix(final_path.get(), L'\\') &&
           SamePath(mapped.get() + 4, final_path.get() + 4);
}

}  // namespace

void* SystemFunction(const char* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(module), name));
}

Handle OpenOwnImage() {
    // By its wide name, which no code page changes, as long as it is.
    WideText path;
    if (!path.Read(ModuleName, nullptr)) return Handle();
    // Read sharing only: while the handle is held, the file can be neither
    // renamed nor written, so the name cannot pass to another file.
    Handle file(CreateFileW(path.get(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    // The name may have passed before the open: the file must be the image.
    if (file.valid() && !IsRunningImage(file.get())) file.Close();
    return file;
}

String WindowsDirectory() {
    // The system's, not a Remote Desktop user's private Windows folder,
    // which that user can write to.
    char buffer[MAX_PATH];
    const UINT n = GetSystemWindowsDirectoryA(buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return String();
    return String(buffer, n);
}

void ShellOpen(const char* address) {
    // Loaded here rather than imported: a DLL in the import table, and all
    // that it loads, comes in before the entry point restricts the DLL
    // search, and shell32's helpers (shcore.dll) are no known DLLs
    // everywhere.
    using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    const HMODULE shell = LoadLibraryA("shell32");
    const auto shell_execute = reinterpret_cast<ShellExecuteFunction>(
        shell ? reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteA")) : nullptr);
    if (shell_execute) shell_execute(nullptr, nullptr, address, nullptr, "C:\\", SW_SHOWNORMAL);
}

}  // namespace kv::platform
