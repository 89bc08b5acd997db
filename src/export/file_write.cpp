// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/file_write.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <fstream>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "base/file_read.h"
#include "base/message_text.h"
#include "export/interrupt_cleanup.h"

namespace kc::exporting {
namespace {

namespace cleanup = interrupt_cleanup;

// Links followed before a name counts as a loop, as the system counts them.
constexpr int kMaxLinksFollowed = 40;
// Bytes of a target's name kept in the hidden names beside it, so that they stay within the
// file system's limit on a name.
constexpr std::size_t kNameBytesKept = 64;
// Names tried before a free hidden name counts as unobtainable.
constexpr int kHiddenNameTries = 100;

std::string SystemReason(int error) {
    return std::strerror(error);
}

// Set by WaitForOtherWriters: what a set says before it waits for a busy folder.
std::function<void(const std::string&)>& BusyFolderNote() {
    static std::function<void(const std::string&)> note;
    return note;
}

// 0666 less the umask, as the system would give a new file. The umask is read from the process's
// status, which leaves it unchanged; only where that cannot be read is it set and put back.
mode_t NewFileMode() {
    static const mode_t mode = [] {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("Umask:")) {
                return static_cast<mode_t>(0666 & ~std::stoul(line.substr(6), nullptr, 8));
            }
        }
        const mode_t mask = ::umask(022);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// `path` with the symbolic links of its last name followed to the file they point to, which may
// not exist yet (a link to a file still to be made makes it, as an editor does).
std::string FollowLinks(const std::string& path) {
    std::string file = path;
    for (int followed = 0; followed <= kMaxLinksFollowed; ++followed) {
        struct stat status {};
        if (::lstat(file.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return file;
        }
        std::string target(static_cast<std::size_t>(status.st_size) + 256, '\0');
        const ssize_t length = ::readlink(file.c_str(), target.data(), target.size());
        if (length < 0) {
            throw EFileWriteError(path, SystemReason(errno));
        }
        target.resize(static_cast<std::size_t>(length));
        if (target.starts_with('/')) {
            file = target;
        } else {
            file = FolderOf(file).append("/").append(target);
        }
    }
    throw EFileWriteError(path, SystemReason(ELOOP));
}

// Which file a name stands for: an existing file by its device and inode, a new one by its
// folder's and its name, so that two spellings of one name, or a link, are seen to be one file.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    std::string name;  // empty for an existing file
    auto operator<=>(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        return FileIdentity{status.st_dev, status.st_ino, {}};
    }
    if (errno == ENOENT && ::stat(FolderOf(path).c_str(), &status) == 0) {
        return FileIdentity{status.st_dev, status.st_ino, NameOf(path)};
    }
    return std::nullopt;
}

// The folder must be one that this process may create files in.
void CheckFolder(const std::string& path, const std::string& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) {
        throw EFileWriteError(path, "its folder cannot be written into: " + SystemReason(errno));
    }
    if (!S_ISDIR(status.st_mode)) {
        throw EFileWriteError(path, "its folder cannot be written into: " + SystemReason(ENOTDIR));
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        throw EFileWriteError(path, "its folder cannot be written into: " + SystemReason(errno));
    }
}

// An existing target must be a regular file that may be written: a folder or a FIFO in its
// place is no file to replace, and a read-only file (no write permission for anyone, or none for
// this process) is one somebody meant to keep.
void CheckExisting(const std::string& path, const std::string& file, const struct stat& status) {
    if (S_ISDIR(status.st_mode)) {
        throw EFileWriteError(path, SystemReason(EISDIR));
    }
    if (!S_ISREG(status.st_mode)) {
        throw EFileWriteError(path, std::string("not a regular file but ") +
                                        base::FileKindText(static_cast<unsigned>(status.st_mode)));
    }
    if ((status.st_mode & 0222) == 0) {
        throw EFileWriteError(path, "the file is read-only, and is not replaced");
    }
    if (::access(file.c_str(), W_OK) != 0) {
        throw EFileWriteError(path, SystemReason(errno));
    }
}

// A name beside `file` that no other file has: ".NAME.kc-PID-N.SUFFIX", hidden, in the same
// folder so that a rename stays on one file system. `create(name)` makes it and returns false
// when the name is taken.
template <typename Create>
std::string FreeHiddenName(const std::string& file, const char* suffix, Create create) {
    static std::atomic<unsigned> counter{0};
    const std::string stem = FolderOf(file) + "/." + NameOf(file).substr(0, kNameBytesKept) +
                             ".kc-" + std::to_string(::getpid()) + "-";
    for (int tries = 0; tries < kHiddenNameTries; ++tries) {
        std::string name = stem + std::to_string(counter++) + suffix;
        if (create(name)) {
            return name;
        }
    }
    errno = EEXIST;
    return {};
}

bool LinksUnsupported(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == EMLINK || error == ENOSYS ||
           error == EXDEV;
}

// Closes a descriptor unless it is handed on.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { Reset(); }
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        Reset();
        fd_ = std::exchange(other.fd_, -1);
        return *this;
    }
    int get() const { return fd_; }
    // Closes it, returning close's result.
    int Close() { return ::close(std::exchange(fd_, -1)); }

  private:
    void Reset() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int fd_;
};

}  // namespace

EFileWriteError::EFileWriteError(const std::string& path, const std::string& reason)
    : base::Error(base::FileMessage(path, "を書き込めません", reason)) {}

// One target of the set and the state of its files.
struct AtomicFileSet::Target {
    std::string path;                // as given: what messages name
    std::string file;                // the file written: path with its links followed
    std::string temporary;           // beside file, while written and until renamed
    std::string keptAside;           // the replaced file's hidden name beside it, during the commit
    std::optional<struct stat> old;  // the replaced file, when there is one
    FileIdentity identity;
    Descriptor temporaryFile;
    bool written = false;
    bool keptByRename = false;  // kept aside by a rename (no hard links), not by a link
    bool renamed = false;
};

// An advisory lock on each folder of the set, in an order every set takes them in (device and
// inode), so that two runs cannot each hold a folder the other waits for. Their descriptors also
// flush the folders' entries.
class AtomicFileSet::FolderLocks {
  public:
    explicit FolderLocks(const std::vector<Target>& targets) {
        std::vector<std::tuple<dev_t, ino_t, std::string, std::string>> folders;
        for (const Target& target : targets) {
            struct stat status {};
            const std::string folder = FolderOf(target.file);
            if (::stat(folder.c_str(), &status) == 0) {
                folders.emplace_back(status.st_dev, status.st_ino, folder, target.path);
            }
        }
        std::sort(folders.begin(), folders.end());
        for (std::size_t i = 0; i < folders.size(); ++i) {
            if (i == 0 || std::get<0>(folders[i]) != std::get<0>(folders[i - 1]) ||
                std::get<1>(folders[i]) != std::get<1>(folders[i - 1])) {
                Lock(std::get<2>(folders[i]), std::get<3>(folders[i]));
            }
        }
    }

    // Flushes every folder's entries (the renames) to the disk.
    void Flush(const std::string& anyTarget) const {
        for (const Descriptor& folder : folders_) {
            if (::fsync(folder.get()) != 0 && errno != EINVAL) {
                throw EFileWriteError(anyTarget, SystemReason(errno));
            }
        }
    }

  private:
    // A folder that cannot be opened for reading (one with write permission only) is written
    // without a lock; whether it can be written into is checked apart.
    void Lock(const std::string& folder, const std::string& target) {
        Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd.get() < 0) {
            return;
        }
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK || !BusyFolderNote()) {
                throw EFileWriteError(target,
                                      "another run is writing files into its folder now; try "
                                      "again when it is done");
            }
            BusyFolderNote()(folder);
            while (::flock(fd.get(), LOCK_EX) != 0) {
                if (errno != EINTR) {
                    throw EFileWriteError(target, SystemReason(errno));
                }
            }
        }
        folders_.push_back(std::move(fd));
    }

    std::vector<Descriptor> folders_;
};

AtomicFileSet::AtomicFileSet(const std::vector<std::string>& targets,
                             const std::vector<std::string>& inputs) {
    cleanup::InstallHandlers();
    targets_.resize(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        Target& t = targets_[i];
        t.path = targets[i];
        if (t.path.empty() || base::HasControlCharacter(t.path)) {
            throw EFileWriteError(
                t.path, t.path.empty() ? "no name is given" : "the name holds a control character");
        }
        t.file = FollowLinks(t.path);
    }
    // The folders are locked before the files are examined, so that what is examined is what
    // another run of the program leaves.
    locks_ = std::make_unique<FolderLocks>(targets_);
    std::vector<FileIdentity> inputIdentities;
    for (const std::string& input : inputs) {
        if (const auto identity = input.empty() ? std::nullopt : IdentityOf(input)) {
            inputIdentities.push_back(*identity);
        }
    }
    for (std::size_t i = 0; i < targets_.size(); ++i) {
        Target& t = targets_[i];
        CheckFolder(t.path, FolderOf(t.file));
        struct stat status {};
        if (::lstat(t.file.c_str(), &status) == 0) {
            CheckExisting(t.path, t.file, status);
            t.old = status;
        }
        t.identity = IdentityOf(t.file).value_or(FileIdentity{0, 0, t.file});
        if (std::find(inputIdentities.begin(), inputIdentities.end(), t.identity) !=
            inputIdentities.end()) {
            throw EFileWriteError(t.path, "it is a file this run reads, and is not overwritten");
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (targets_[j].identity == t.identity) {
                throw EFileWriteError(t.path, "two outputs of this run would both be this file");
            }
        }
    }
}

AtomicFileSet::~AtomicFileSet() {
    if (committed_) {
        return;
    }
    const cleanup::CriticalSection section;
    for (Target& t : targets_) {
        if (!t.temporary.empty()) {
            ::unlink(t.temporary.c_str());
            cleanup::Remove(t.temporary.c_str());
        }
    }
}

void AtomicFileSet::Write(const std::string& target, const FileWriter& writeTo) {
    const auto found = std::find_if(targets_.begin(), targets_.end(),
                                    [&target](const Target& t) { return t.path == target; });
    if (found == targets_.end() || !found->temporary.empty()) {
        throw std::logic_error("'" + target + "' is no target of the set still to be written");
    }
    Target& t = *found;
    {
        // Created and registered at once: a signal finds it either not made or registered.
        const cleanup::CriticalSection section;
        t.temporary = FreeHiddenName(t.file, ".tmp", [&t](const std::string& name) {
            t.temporaryFile = Descriptor(
                ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            return t.temporaryFile.get() >= 0 || errno != EEXIST;
        });
        if (t.temporaryFile.get() < 0) {
            const int error = errno;
            t.temporary.clear();
            throw EFileWriteError(t.path, SystemReason(error));
        }
        cleanup::Add(t.temporary.c_str());
    }
    const auto discard = [&t] {
        const cleanup::CriticalSection section;
        ::unlink(t.temporary.c_str());
        cleanup::Remove(t.temporary.c_str());
        t.temporary.clear();
        t.temporaryFile = Descriptor();
    };
    try {
        writeTo(t.temporary);
        Finish(t);
    } catch (const std::bad_alloc&) {
        discard();
        base::RaiseOutOfMemory();
    } catch (const base::EOutOfMemory&) {
        discard();
        throw;
    } catch (const std::exception& error) {
        discard();
        throw EFileWriteError(t.path, base::ErrorText(error));
    }
    t.written = true;
}

// The temporary as written gets the final mode (and the replaced file's owner, where the system
// allows it) and is flushed to the disk before any rename can make it the target.
void AtomicFileSet::Finish(Target& t) {
    const int fd = t.temporaryFile.get();
    struct stat made {};
    struct stat named {};
    if (::fstat(fd, &made) != 0 || ::lstat(t.temporary.c_str(), &named) != 0 ||
        made.st_dev != named.st_dev || made.st_ino != named.st_ino) {
        throw std::runtime_error("its temporary file was replaced while it was written");
    }
    if (t.old && (t.old->st_uid != made.st_uid || t.old->st_gid != made.st_gid)) {
        [[maybe_unused]] const int ignored = ::fchown(fd, t.old->st_uid, t.old->st_gid);
    }
    const mode_t mode = t.old ? (t.old->st_mode & 0777) : NewFileMode();
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0 || t.temporaryFile.Close() != 0) {
        throw std::runtime_error(SystemReason(errno));
    }
}

// Keeps the replaced file aside, by a second name (a hard link) where the file system has them
// and by a rename where it has not.
void AtomicFileSet::KeepAside(Target& t) {
    int linkError = 0;
    t.keptAside = FreeHiddenName(t.file, ".old", [&t, &linkError](const std::string& name) {
        linkError = ::link(t.file.c_str(), name.c_str()) == 0 ? 0 : errno;
        return linkError != EEXIST;
    });
    if (!t.keptAside.empty() && linkError == 0) {
        return;
    }
    if (!t.keptAside.empty() && LinksUnsupported(linkError)) {
        linkError = ::rename(t.file.c_str(), t.keptAside.c_str()) == 0 ? 0 : errno;
        t.keptByRename = linkError == 0;
    }
    if (linkError != 0 || t.keptAside.empty()) {
        t.keptAside.clear();
        throw EFileWriteError(t.path, "the file it replaces cannot be kept aside: " +
                                          SystemReason(linkError != 0 ? linkError : EEXIST));
    }
}

// Renames the temporary onto the target, the replaced file kept aside first. The target must be
// the file that was checked (or still none): what another program put there meanwhile is neither
// replaced unseen nor kept aside in the wrong place.
void AtomicFileSet::PutInPlace(Target& t) {
    struct stat now {};
    const bool exists = ::lstat(t.file.c_str(), &now) == 0;
    if (exists != t.old.has_value() ||
        (exists &&
         (!S_ISREG(now.st_mode) || now.st_dev != t.old->st_dev || now.st_ino != t.old->st_ino))) {
        throw EFileWriteError(t.path, "another program changed it while the set was written");
    }
    if (t.old) {
        KeepAside(t);
    }
    if (::rename(t.temporary.c_str(), t.file.c_str()) != 0) {
        const int error = errno;
        if (t.keptByRename) {
            ::rename(t.keptAside.c_str(), t.file.c_str());
        } else if (!t.keptAside.empty()) {
            ::unlink(t.keptAside.c_str());
        }
        t.keptAside.clear();
        throw EFileWriteError(t.path, SystemReason(error));
    }
    t.renamed = true;
}

void AtomicFileSet::Commit() {
    for (const Target& t : targets_) {
        if (!t.written) {
            throw std::logic_error("'" + t.path + "' was not written before the commit");
        }
    }
    const cleanup::CriticalSection section;
    std::size_t renamed = 0;
    try {
        for (; renamed < targets_.size(); ++renamed) {
            PutInPlace(targets_[renamed]);
        }
        if (!targets_.empty()) {
            locks_->Flush(targets_.front().path);
        }
    } catch (const EFileWriteError&) {
        Rollback(renamed);
        throw;
    }
    committed_ = true;
    for (Target& t : targets_) {
        cleanup::Remove(t.temporary.c_str());
        if (!t.keptAside.empty()) {
            ::unlink(t.keptAside.c_str());
        }
    }
    try {
        locks_->Flush(targets_.empty() ? std::string() : targets_.front().path);
    } catch (const EFileWriteError&) {  // the set is in place; only the removals may be lost
    }
}

// Inside the commit's critical section: every target renamed gets its old file back, or is
// removed when it is new, and the temporaries not renamed go.
void AtomicFileSet::Rollback(std::size_t renamed) {
    for (std::size_t i = 0; i < targets_.size(); ++i) {
        Target& t = targets_[i];
        if (i < renamed && !t.keptAside.empty()) {
            ::rename(t.keptAside.c_str(), t.file.c_str());
        } else if (i < renamed) {
            ::unlink(t.file.c_str());
        } else {
            ::unlink(t.temporary.c_str());
        }
        cleanup::Remove(t.temporary.c_str());
        t.temporary.clear();
    }
    try {
        locks_->Flush(targets_.front().path);
    } catch (const EFileWriteError&) {  // the rollback is done; only its flush failed
    }
}

void WriteFileAtomically(const std::string& path, const FileWriter& writeTo,
                         const std::vector<std::string>& inputs) {
    AtomicFileSet set({path}, inputs);
    set.Write(path, writeTo);
    set.Commit();
}

void AtomicFileSet::WriteText(const std::string& target, std::string_view content) {
    Write(target, ContentWriter(content));
}

FileWriter ContentWriter(std::string_view content) {
    return [content](const std::string& temporary) {
        WriteBytes(temporary, content.data(), content.size());
    };
}

void WriteBytes(const std::string& path, const char* data, std::size_t size) {
    Descriptor file(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (file.get() < 0) {
        throw std::runtime_error(SystemReason(errno));
    }
    while (size > 0) {
        const ssize_t count = ::write(file.get(), data, size);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            throw std::runtime_error(SystemReason(count < 0 ? errno : ENOSPC));
        }
        data += count;
        size -= static_cast<std::size_t>(count);
    }
    if (file.Close() != 0) {
        throw std::runtime_error(SystemReason(errno));
    }
}

void WriteTextFile(const std::string& path, const std::string& content,
                   const std::vector<std::string>& inputs) {
    WriteFileAtomically(path, ContentWriter(content), inputs);
}

void ReportOversizedWritesAsErrors() {
    std::signal(SIGXFSZ, SIG_IGN);
}

void WaitForOtherWriters(std::function<void(const std::string& folder)> note) {
    BusyFolderNote() = std::move(note);
}

}  // namespace kc::exporting
