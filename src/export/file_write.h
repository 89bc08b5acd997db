// SPDX-License-Identifier: GPL-3.0-or-later
// Writing output files so that a failed write leaves nothing behind: the content goes to a
// temporary file beside the target, which replaces the target only when complete. A set of files
// is written the same way, all of them in full before any replaces its target.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/errors.h"

namespace kc::exporting {

// An output file could not be written; the message names the file and the reason.
class EFileWriteError : public base::Error {
  public:
    EFileWriteError(const std::string& path, const std::string& reason);
};

// Writes the whole content of one file into the path it is given (a temporary file); throws any
// std::exception with the reason when it cannot.
using FileWriter = std::function<void(const std::string& temporaryPath)>;

// The files of one export. Add writes each in full to a temporary file beside its target; Commit
// then renames them onto their targets in the order added. A set that is destroyed without being
// committed (a later file failed, or anything else went wrong) removes its temporaries, so the
// targets are left as they were: no file of the set is written at all, none half-written.
class AtomicFileSet {
  public:
    AtomicFileSet() = default;
    ~AtomicFileSet();
    AtomicFileSet(const AtomicFileSet&) = delete;
    AtomicFileSet& operator=(const AtomicFileSet&) = delete;

    // Calls writeTo(temporaryPath). When it throws, its temporary is removed and EFileWriteError
    // naming `path` is raised with the reason of the original error.
    void Add(const std::string& path, const FileWriter& writeTo);

    // Renames every temporary onto its target. A rename that fails raises EFileWriteError naming
    // its target; the files renamed before it are complete, the temporaries after it are removed.
    void Commit();

  private:
    struct Staged {
        std::string path;
        std::string temporary;
    };
    std::vector<Staged> staged_;
};

// Calls writeTo(temporaryPath) to write the whole content, then renames the temporary file to
// `path`. When writeTo throws or the rename fails, the temporary file is removed, `path` is left
// as it was, and EFileWriteError naming `path` is raised (with the reason of the original error).
void WriteFileAtomically(const std::string& path, const FileWriter& writeTo);

// Writes `size` bytes to a new file at `path` (the whole file); throws std::runtime_error with the
// system's reason (a full disk, a file-size limit, a missing folder) when it cannot.
void WriteBytes(const std::string& path, const char* data, std::size_t size);

// Writes `content` to `path` through WriteFileAtomically.
void WriteTextFile(const std::string& path, const std::string& content);

// A file larger than the process may write (a file-size limit) is then a write that fails with a
// reason, reported like any other, instead of a signal that ends the process with its temporary
// files left behind. Called once by each program at start-up.
void ReportOversizedWritesAsErrors();

}  // namespace kc::exporting
