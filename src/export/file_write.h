// Writing output files so that a failed write leaves nothing behind: the content goes to a
// temporary file beside the target, which replaces the target only when complete.
#pragma once

#include <functional>
#include <string>

#include "base/errors.h"

namespace kc::exporting {

// An output file could not be written; the message names the file and the reason.
class EFileWriteError : public base::Error {
  public:
    EFileWriteError(const std::string& path, const std::string& reason);
};

// Calls writeTo(temporaryPath) to write the whole content, then renames the temporary file to
// `path`. When writeTo throws or the rename fails, the temporary file is removed, `path` is left
// as it was, and EFileWriteError naming `path` is raised (with the reason of the original error).
void WriteFileAtomically(const std::string& path,
                         const std::function<void(const std::string& temporaryPath)>& writeTo);

// Writes `content` to `path` through WriteFileAtomically.
void WriteTextFile(const std::string& path, const std::string& content);

}  // namespace kc::exporting
