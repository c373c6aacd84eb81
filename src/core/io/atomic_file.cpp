#include "io/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

#include "text/cp1252.h"

#ifdef _WIN32
#include <process.h>
#define ZI_GETPID _getpid
#else
#include <unistd.h>
#define ZI_GETPID getpid
#endif

namespace zi::io {
namespace fs = std::filesystem;

namespace {

std::string reason() { return std::strerror(errno); }

fs::path tempBeside(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  fs::path t = target;
  t += ".tmp-" + std::to_string(ZI_GETPID()) + "-" + std::to_string(counter++);
  return t;
}

}  // namespace

StagedFile::StagedFile(fs::path target, std::string_view bytes) : target_(std::move(target)) {
  temp_ = tempBeside(target_);
  std::FILE* f = std::fopen(temp_.string().c_str(), "wb");
  if (!f) throw FileError("No se puede escribir " + nombreArchivo(target_) + ": " + reason());
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  std::string why = ok ? "" : reason();
  if (std::fflush(f) != 0 && ok) { ok = false; why = reason(); }
  if (std::fclose(f) != 0 && ok) { ok = false; why = reason(); }
  if (!ok) {
    std::error_code ec;
    fs::remove(temp_, ec);
    throw FileError("No se puede escribir " + nombreArchivo(target_) + ": " + why);
  }
}

StagedFile::StagedFile(StagedFile&& o) noexcept
    : target_(std::move(o.target_)), temp_(std::move(o.temp_)), done_(o.done_) {
  o.done_ = true;
}

StagedFile::~StagedFile() {
  if (!done_) {
    std::error_code ec;
    fs::remove(temp_, ec);
  }
}

void StagedFile::commit() {
  std::error_code ec;
  fs::rename(temp_, target_, ec);
  if (ec) throw FileError("No se puede reemplazar " + nombreArchivo(target_) + ": " + ec.message());
  done_ = true;
}

void writeAtomically(const fs::path& target, std::string_view bytes) { StagedFile(target, bytes).commit(); }

std::string nombreArchivo(const fs::path& path) {
  const auto u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError("No se puede leer " + nombreArchivo(path) + ": " + reason());
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw FileError("No se puede leer " + nombreArchivo(path) + ": " + reason());
  return bytes;
}

fs::path findFile(const fs::path& dir, const std::string& name) {
  fs::path exact = dir / name;
  std::error_code ec;
  if (fs::exists(exact, ec)) return exact;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (text::equalsNoCase(it->path().filename().string(), name)) return it->path();
  }
  return exact;
}

}  // namespace zi::io
