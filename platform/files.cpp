#include "files.h"

#include <sddl.h>
#include <shellapi.h>

#include "text_utils.h"

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

Handle OpenForReading(const std::string& path) {
    return Handle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

Handle CreateForWriting(const std::string& path) {
    return Handle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

Handle CreateFresh(const std::string& path) {
    if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return Handle();
    if (!g_fresh_file_descriptor && !ConvertStringSecurityDescriptorToSecurityDescriptorA(
                                        "D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FR;;;BU)", SDDL_REVISION_1,
                                        &g_fresh_file_descriptor, nullptr))
        return Handle();
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, g_fresh_file_descriptor, FALSE};
    return Handle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
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

bool ReadTextFile(const std::string& path, std::string& out) {
    FileSource file(OpenForReading(path));
    return ReadTextStart(file, out);
}

bool DeleteOneFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool CopyOneFile(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

namespace {

// The full path of the running executable.
std::string ExePath() {
    char buffer[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::string();
    return std::string(buffer, n);
}

size_t NameStart(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

std::string ExeFolder() {
    std::string path = ExePath();
    size_t start = NameStart(path);
    if (start == 0) return std::string();
    // Keep the backslash of a drive root ("C:\"), drop any other.
    size_t end = start - 1;
    if (end == 2 && path[1] == ':') end = start;
    return path.substr(0, end);
}

std::string ExeBaseName() {
    std::string path = ExePath();
    std::string name = path.substr(NameStart(path));
    size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

std::string WindowsDirectory() {
    char buffer[260] = {};
    if (GetWindowsDirectoryA(buffer, sizeof buffer) == 0) return std::string();
    buffer[sizeof buffer - 1] = '\0';
    return std::string(buffer);
}

void ShellOpen(const char* address) {
    ShellExecuteA(nullptr, nullptr, address, nullptr, "C:\\", SW_SHOWNORMAL);
}

}  // namespace kv::platform
