#include "file_io.h"

#include <cerrno>

#include "option_checks.h"

namespace kvpack {

bool FileSource::Open(const std::string& path) {
    error_.clear();
    errno = 0;
    return OpenForReading(path, file_, identity_, error_);
}

bool FileSource::OpenInput(const std::string& path, OpenedPlace& place) {
    error_.clear();
    errno = 0;
    return OpenInputForReading(path, DirName(path), BaseName(path), file_, identity_, place,
                               error_);
}

bool FileSource::read(int64_t offset, void* out, size_t n) {
    if (!file_.is_open() || offset < 0 || offset > size() ||
        static_cast<int64_t>(n) > size() - offset) {
        error_ = "a read went past its end";
        return false;
    }
    bool ended = false;
    errno = 0;
    if (!file_.ReadAt(offset, out, n, ended)) {
        error_ = ended ? "it is shorter than it was" : LastSystemError();
        return false;
    }
    return true;
}

bool InputFile::Check(const std::string& path, Look look, void* context) {
    path_ = path;
    if (!file_.OpenInput(path, place_)) {
        error_ = file_.error();
        return false;
    }
    checked_ = file_.identity();
    if (look) look(file_, context);
    file_.Close();
    return true;
}

bool InputFile::read(int64_t offset, void* out, size_t n) {
    if (!opened_) {
        opened_ = true;
        if (!file_.Open(path_)) {
            error_ = "cannot be read: " + file_.error();
            return false;
        }
        if (!SameFile(file_.identity(), checked_)) {
            error_ = "was replaced by another file while the package was written";
            file_.Close();
            return false;
        }
        if (file_.size() != checked_.size) {
            error_ = "changed its length while the package was written";
            file_.Close();
            return false;
        }
    }
    if (!file_.read(offset, out, n)) {
        error_ = "cannot be read: " + file_.error();
        return false;
    }
    if (offset + static_cast<int64_t>(n) == checked_.size) file_.Close();
    return true;
}

FileSink::~FileSink() {
    file_.Close();
    if (!name_.empty()) folder_.Remove(name_);
}

bool FileSink::Create() {
    error_.clear();
    errno = 0;
    if (!folder_.CreateTemporary(file_, name_)) {
        name_.clear();
        error_ = FolderError();
        return false;
    }
    if (!file_.Identify(identity_)) identity_ = FileIdentity();
    pending_.clear();
    pending_.reserve(kPendingLimit + kSmallWrite);  // appends never allocate
    return true;
}

bool FileSink::write(const void* data, size_t n) {
    if (!file_.is_open()) return false;
    written_ += static_cast<int64_t>(n);
    // Field-sized writes gather in `pending_`; body chunks go straight to the
    // file in one call each, never split by a half-full buffer.
    if (n < kSmallWrite) {
        pending_.append(static_cast<const char*>(data), n);
        return pending_.size() < kPendingLimit || Flush();
    }
    return Flush() && WriteThrough(data, n);
}

bool FileSink::Flush() {
    if (pending_.empty()) return true;
    const bool ok = WriteThrough(pending_.data(), pending_.size());
    pending_.clear();
    return ok;
}

bool FileSink::WriteThrough(const void* data, size_t n) {
    errno = 0;
    if (!file_.Write(data, n)) {
        if (error_.empty()) error_ = LastSystemError();
        return false;
    }
    return true;
}

bool FileSink::ReadBack(int64_t offset, void* out, size_t n) {
    bool ended = false;
    errno = 0;
    if (!file_.is_open() || !Flush() || !file_.ReadAt(offset, out, n, ended)) {
        if (error_.empty()) error_ = ended ? "it is shorter than written" : LastSystemError();
        return false;
    }
    return true;
}

bool FileSink::Close() {
    if (!file_.is_open()) return error_.empty();
    bool ok = Flush();
    errno = 0;
    if (!file_.Close() && ok) {
        ok = false;
        error_ = LastSystemError();
    }
    return ok && error_.empty();
}

bool FileSink::PutInPlace(const std::string& name, bool replace) {
    if (!Close()) return false;
    errno = 0;
    if (!folder_.Rename(name_, name, replace)) {
        name_taken_ = !replace && LastErrorIsAlreadyExists();
        error_ = FolderError();
        return false;
    }
    name_.clear();
    return true;
}

std::string FileSink::FolderError() const {
    if (folder_.moved())
        return "its folder was moved or replaced while the tool was writing in it; nothing more "
               "is written there";
    return LastSystemError();
}

}  // namespace kvpack
