// Writing files so that a failure never leaves a half-written one: the bytes
// go to a temporary file in the target's directory, which is then renamed over
// the target. Until the rename the old file is untouched.
#pragma once

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace zi::io {

class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a file holds, handed over in pieces: the function calls `put` with each
// piece in order (a table passes its header and then its records a block at a
// time, without building the whole file in memory). `put` throws FileError
// when the piece cannot be written.
using Producer = std::function<void(const std::function<void(std::string_view)>& put)>;

// A temporary file written beside its target, removed on destruction unless
// committed.
class StagedFile {
 public:
  StagedFile(std::filesystem::path target, std::string_view bytes);  // throws FileError
  // The same with the bytes a producer hands over. Throws FileError, or what
  // the producer throws; either way no temporary file is left.
  StagedFile(std::filesystem::path target, const Producer& contents);
  ~StagedFile();
  StagedFile(StagedFile&&) noexcept;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  StagedFile& operator=(StagedFile&&) = delete;

  // Renames the temporary file over the target. Throws FileError.
  void commit();
  const std::filesystem::path& target() const { return target_; }

 private:
  std::filesystem::path target_;
  std::filesystem::path temp_;
  bool done_ = false;
};

// Stages several files (target, bytes) at once, each on a thread of its own,
// and returns them in the same order. When any cannot be written, none is left
// staged and the FileError of the first such file, in order, is thrown.
std::vector<StagedFile> stageAll(const std::vector<std::pair<std::filesystem::path, std::string_view>>& files);
std::vector<StagedFile> stageAll(const std::vector<std::pair<std::filesystem::path, Producer>>& files);

// Commits every file or none. Each old target is first kept aside (a hard
// link, or a copy where links are not possible); when a rename fails, the
// files already replaced get their old contents back and the ones that did
// not exist are removed, so a failure leaves every target as it was. Throws
// FileError naming the file that could not be replaced.
void commitAll(std::vector<StagedFile>& files);

// Writes one file through a temporary file and a rename. Throws FileError
// naming the file and the reason.
void writeAtomically(const std::filesystem::path& target, std::string_view bytes);

// Removes the dBase index (.MDX, its name compared without regard to case)
// beside a table just replaced: it would no longer match the new table.
// Throws FileError when it is there and cannot be removed.
void removeTableIndex(const std::filesystem::path& table);

// The path as UTF-8 text, for messages.
std::string nombreArchivo(const std::filesystem::path& path);

// The reason of a failed file operation, in the words the user reads.
std::string razon(std::error_code ec);
std::string razon(int err);

// Reads a whole file. Throws FileError naming the file and the reason.
std::string readAll(const std::filesystem::path& path);

// The path in `dir` of the file called `name`, compared without regard to case
// when no file of exactly that name exists (a working directory copied from
// another system may hold "proft.dbf"). Returns dir / name when none matches.
std::filesystem::path findFile(const std::filesystem::path& dir, const std::string& name);

}  // namespace zi::io
