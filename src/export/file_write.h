// SPDX-License-Identifier: GPL-3.0-or-later
// Writing output files so that one run changes either every file it writes or none. All the
// files of a run form one set: every target is checked before anything is written, each file's
// content goes to a temporary file beside its target, and only when all are complete do they
// replace their targets, the replaced files kept aside until the whole set is in place. A failure
// anywhere, or an interrupting signal, leaves every target as it was and no temporary behind.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/errors.h"

namespace kc::exporting {

// An output file could not be written; the message names the file (escaped) and the reason.
class EFileWriteError : public base::Error {
  public:
    EFileWriteError(const std::string& path, const std::string& reason);
};

// Writes the whole content of one file into the path it is given (a temporary file, created
// already and empty); throws any std::exception with the reason when it cannot.
using FileWriter = std::function<void(const std::string& temporaryPath)>;

// Everything one run writes, committed at once. Writing through a symbolic link writes the file
// it points to, atomically beside it, and the link stays.
//
// The constructor checks every target before anything is written and raises EFileWriteError
// naming the first that cannot be written: a name with a control character, a missing folder or
// one that cannot be written into, a folder or any other file than a regular one in the target's
// place, a read-only file (which is refused rather than replaced: whoever made it read-only meant
// it to stay), a file of `inputs` (the files the run reads, compared by name and by device and
// inode, so that no link or second spelling of a name gets past), or two targets that are one
// file. It then holds an advisory lock on each folder until the set is committed or dropped, so
// that two runs writing into one folder do not mix their files: a second run waits for the first
// when WaitForOtherWriters was called, and is refused otherwise.
class AtomicFileSet {
  public:
    AtomicFileSet(const std::vector<std::string>& targets,
                  const std::vector<std::string>& inputs = {});
    // A set that was not committed removes its temporaries: the targets stay as they were.
    ~AtomicFileSet();
    AtomicFileSet(const AtomicFileSet&) = delete;
    AtomicFileSet& operator=(const AtomicFileSet&) = delete;

    // Creates the temporary of `target` (one of the constructor's, not written yet) exclusively
    // with mode 0600 and calls writeTo(temporaryPath); then gives it the target's final mode (the
    // replaced file's, or 0666 less the umask for a new one) and flushes it to the disk. When
    // writeTo throws, the temporary is removed and EFileWriteError naming `target` is raised with
    // the reason (EOutOfMemory as it stands, for memory that could not be obtained).
    void Write(const std::string& target, const FileWriter& writeTo);
    // Write with `content` (text or bytes) as the whole file.
    void WriteText(const std::string& target, std::string_view content);

    // Puts every target in place: each replaced file kept aside under a hidden name in its folder,
    // each temporary renamed onto its target, the folders flushed, then the files kept aside
    // removed. The interrupting signals wait meanwhile. When a rename fails, every target already
    // renamed gets its old file back (or is removed, when it is new), and EFileWriteError names
    // the target and the reason. Every target must have been written.
    void Commit();

  private:
    struct Target;
    class FolderLocks;
    static void Finish(Target& t);
    static void KeepAside(Target& t);
    static void PutInPlace(Target& t);
    void Rollback(std::size_t renamed);

    std::vector<Target> targets_;
    std::unique_ptr<FolderLocks> locks_;
    bool committed_ = false;
};

// Writes one file as a set of its own: `path` gets the whole content or stays as it was.
void WriteFileAtomically(const std::string& path, const FileWriter& writeTo,
                         const std::vector<std::string>& inputs = {});

// Writes `size` bytes as the whole content of the file at `path` (a temporary of a set); throws
// std::runtime_error with the system's reason (a full disk, a file-size limit) when it cannot.
void WriteBytes(const std::string& path, const char* data, std::size_t size);

// A writer of `content` (text or bytes) as the whole file; `content` must outlast it.
FileWriter ContentWriter(std::string_view content);

// Writes `content` to `path` through WriteFileAtomically.
void WriteTextFile(const std::string& path, const std::string& content,
                   const std::vector<std::string>& inputs = {});

// A file larger than the process may write (a file-size limit) is then a write that fails with a
// reason, reported like any other, instead of a signal that ends the process with its temporary
// files left behind. Called once by each program at start-up.
void ReportOversizedWritesAsErrors();

// From now on a set whose folder another run is writing into waits until that run is done,
// calling note(folder) once before it waits; without this call such a set is refused at once
// with a message, as a window must not hang. The command line calls it at start-up.
void WaitForOtherWriters(std::function<void(const std::string& folder)> note);

}  // namespace kc::exporting
