// Files on disk as kv::ByteSource / kv::ByteSink. The format core copies
// bodies through these in fixed-size chunks, so no body is ever held whole.
// None of them throws: the core calls them from code built without exceptions.
#pragma once

#include <cstdint>
#include <string>

#include "byte_source.h"
#include "platform_fs.h"

namespace kvpack {

// An open regular file read at any offset. Its length is taken once, from
// the open handle.
class FileSource final : public kv::ByteSource {
public:
    FileSource() = default;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool Open(const std::string& path);  // false: see error()
    // Opens a packaged input, telling where it really lies.
    bool OpenInput(const std::string& path, OpenedPlace& place);
    void Close() { file_.Close(); }
    const std::string& error() const { return error_; }
    const FileIdentity& identity() const { return identity_; }

    int64_t size() override { return identity_.size; }
    bool read(int64_t offset, void* out, size_t n) override;

private:
    OsFile file_;
    FileIdentity identity_;
    std::string error_;
};

// An input of the package, checked before anything is written and opened
// again only when its body is copied, so a package of thousands of fonts
// never holds thousands of files open. The file opened then must be the
// very file that was checked, of the same length; anything else is refused
// rather than packaged.
class InputFile final : public kv::ByteSource {
public:
    // Reads the file while the check has it open (the font checks do).
    using Look = void (*)(FileSource& file, void* context);

    // Opens `path`, refuses anything but a regular file, notes its identity,
    // and runs `look` on the open file before closing it again: what is
    // looked at is what was checked, never the name opened a second time.
    bool Check(const std::string& path, Look look = nullptr, void* context = nullptr);
    const std::string& error() const { return error_; }
    const FileIdentity& identity() const { return checked_; }
    // Where the checked file really lies: whether a link led to it, and where.
    const OpenedPlace& place() const { return place_; }

    int64_t size() override { return checked_.size; }
    bool read(int64_t offset, void* out, size_t n) override;

private:
    std::string path_;
    FileIdentity checked_;
    OpenedPlace place_;
    FileSource file_;
    bool opened_ = false;
    std::string error_;
};

// A new file written from the start under a fresh random name in `folder`,
// then put in place under its final name. Until then it is removed when the
// object goes (or by a fatal signal), so a failed or interrupted run leaves
// nothing behind.
class FileSink final : public kv::ByteSink {
public:
    explicit FileSink(Folder& folder) : folder_(folder) {}
    ~FileSink() override;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    bool Create();  // false: see error()
    bool Close();   // flushes; false when anything failed
    // Closes it and renames it to `name`: over what is there, which must
    // not be a folder, or with `replace` false only where nothing is
    // (name_taken() tells when something was).
    bool PutInPlace(const std::string& name, bool replace = true);
    bool name_taken() const { return name_taken_; }
    const std::string& error() const { return error_; }
    // Reads back what was written, through the same handle, once the writing
    // is done and before the file is put in place (on Windows a read moves
    // the position the next write would go to).
    bool ReadBack(int64_t offset, void* out, size_t n);
    // The written file, valid after Create().
    const FileIdentity& identity() const { return identity_; }
    int64_t written() const { return written_; }  // bytes taken by write()

    bool write(const void* data, size_t n) override;

private:
    static constexpr size_t kSmallWrite = 4096;
    static constexpr size_t kPendingLimit = 64 * 1024;
    bool Flush();
    bool WriteThrough(const void* data, size_t n);
    std::string FolderError() const;

    Folder& folder_;
    OsFile file_;
    std::string name_;  // the temporary name; "" once placed or removed
    FileIdentity identity_;
    int64_t written_ = 0;
    bool name_taken_ = false;
    std::string pending_;
    std::string error_;
};

}  // namespace kvpack
