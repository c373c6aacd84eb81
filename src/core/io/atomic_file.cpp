#include "io/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <optional>
#include <random>
#include <system_error>
#include <thread>

#include "text/cp1252.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zi::io {
namespace fs = std::filesystem;

namespace {

std::FILE* abrir(const fs::path& p, bool paraEscribir) {
#ifdef _WIN32
  return _wfopen(p.c_str(), paraEscribir ? L"wbx" : L"rb");
#else
  return std::fopen(p.c_str(), paraEscribir ? "wbx" : "rb");
#endif
}

bool aDisco(std::FILE* f) {
#ifdef _WIN32
  return _commit(_fileno(f)) == 0;
#else
  return ::fsync(fileno(f)) == 0;
#endif
}

std::string sufijo() {
  // One generator per thread: stageAll names its files from several threads.
  thread_local std::mt19937_64 gen{std::random_device{}()};
  static const char cifras[] = "0123456789abcdef";
  std::string s = ".tmp-";
  auto v = gen();
  for (int i = 0; i < 8; ++i, v >>= 4) s += cifras[v & 0xF];
  return s;
}

}  // namespace

std::string nombreArchivo(const fs::path& path) {
  const auto u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

std::string razon(std::error_code ec) {
  std::error_condition c = ec.default_error_condition();
  if (c.category() == std::generic_category()) {
    switch (static_cast<std::errc>(c.value())) {
      case std::errc::no_such_file_or_directory: return "no existe el archivo o la carpeta";
      case std::errc::permission_denied:
      case std::errc::operation_not_permitted: return "permiso denegado";
      case std::errc::is_a_directory: return "es una carpeta";
      case std::errc::not_a_directory: return "una parte de la ruta no es una carpeta";
      case std::errc::no_space_on_device: return "no queda espacio en el disco";
      case std::errc::read_only_file_system: return "el disco es de solo lectura";
      case std::errc::file_exists: return "ya existe";
      case std::errc::file_too_large: return "el archivo es demasiado grande";
      case std::errc::device_or_resource_busy:
      case std::errc::text_file_busy: return "otro programa lo tiene abierto";
      default: break;
    }
  }
  return ec.message();
}

std::string razon(int err) { return razon(std::error_code(err ? err : EIO, std::generic_category())); }

StagedFile::StagedFile(fs::path target, std::string_view bytes)
    : StagedFile(std::move(target), [bytes](const std::function<void(std::string_view)>& put) { put(bytes); }) {}

StagedFile::StagedFile(fs::path target, const Producer& contents) : target_(std::move(target)) {
  auto falla = [&](int err) { return FileError("No se puede escribir " + nombreArchivo(target_) + ": " + razon(err)); };
  // A fresh name beside the target, created exclusively, so that the rename
  // stays within one file system and never meets another writer's file.
  std::FILE* f = nullptr;
  for (int intento = 0; intento < 100 && !f; ++intento) {
    temp_ = target_;
    temp_ += sufijo();
    f = abrir(temp_, true);
    if (!f && errno != EEXIST) throw falla(errno);
  }
  if (!f) throw falla(EEXIST);
  auto quitar = [&] {
    std::error_code ec;
    fs::remove(temp_, ec);
    done_ = true;
  };
  try {
    contents([&](std::string_view piece) {
      errno = 0;
      if (std::fwrite(piece.data(), 1, piece.size(), f) != piece.size()) throw falla(errno);
    });
  } catch (...) {
    std::fclose(f);
    quitar();
    throw;
  }
  errno = 0;
  bool ok = std::fflush(f) == 0 && aDisco(f);
  int err = errno;
  if (std::fclose(f) != 0 && ok) ok = false, err = errno;
  if (!ok) {
    quitar();
    throw falla(err);
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
  if (ec) throw FileError("No se puede reemplazar " + nombreArchivo(target_) + ": " + razon(ec));
  done_ = true;
}

std::vector<StagedFile> stageAll(const std::vector<std::pair<fs::path, std::string_view>>& files) {
  std::vector<std::pair<fs::path, Producer>> producers;
  producers.reserve(files.size());
  for (const auto& f : files)
    producers.emplace_back(f.first,
                           [bytes = f.second](const std::function<void(std::string_view)>& put) { put(bytes); });
  return stageAll(producers);
}

std::vector<StagedFile> stageAll(const std::vector<std::pair<fs::path, Producer>>& files) {
  // Each file is written and flushed to disk on a thread of its own: the
  // flushes are most of the time and the disk serves them side by side. All
  // threads are joined before anything is renamed, so every file is on disk
  // before the first target is replaced, as when they are staged one by one.
  std::vector<std::optional<StagedFile>> hechos(files.size());
  std::vector<std::exception_ptr> fallos(files.size());
  auto escribir = [&](std::size_t i) {
    try {
      hechos[i].emplace(files[i].first, files[i].second);
    } catch (...) {
      fallos[i] = std::current_exception();
    }
  };
  {
    std::vector<std::thread> hilos;
    hilos.reserve(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
      try {
        hilos.emplace_back(escribir, i);
      } catch (const std::system_error&) {
        escribir(i);  // no thread to be had: this one writes it
      }
    }
    for (auto& h : hilos) h.join();
  }
  // The first failure in the files' order is the one reported; the files
  // already staged are removed when `hechos` goes.
  for (auto& f : fallos)
    if (f) std::rethrow_exception(f);
  std::vector<StagedFile> staged;
  staged.reserve(files.size());
  for (auto& h : hechos) staged.push_back(std::move(*h));
  return staged;
}

void commitAll(std::vector<StagedFile>& files) {
  struct Reemplazado {
    fs::path target, copia;  // copia: the old file kept aside, empty when there was none
  };
  std::vector<Reemplazado> hechos;
  auto deshacer = [&] {
    for (auto it = hechos.rbegin(); it != hechos.rend(); ++it) {
      std::error_code ec;
      if (it->copia.empty()) fs::remove(it->target, ec);
      else fs::rename(it->copia, it->target, ec);
    }
  };
  try {
    for (auto& f : files) {
      Reemplazado r{f.target(), {}};
      std::error_code ec;
      const fs::file_status st = fs::symlink_status(r.target, ec);
      if (fs::is_directory(st))
        throw FileError("No se puede reemplazar " + nombreArchivo(r.target) + ": " + razon(EISDIR));
      if (fs::exists(st)) {
        r.copia = r.target;
        r.copia += sufijo();
        fs::create_hard_link(r.target, r.copia, ec);
        if (ec) {
          ec.clear();
          fs::copy_file(r.target, r.copia, ec);
        }
        if (ec) {
          fs::remove(r.copia, ec);
          throw FileError("No se puede reemplazar " + nombreArchivo(r.target) + ": " + razon(ec));
        }
      }
      try {
        f.commit();
      } catch (...) {
        if (!r.copia.empty()) fs::remove(r.copia, ec);
        throw;
      }
      hechos.push_back(std::move(r));
    }
  } catch (...) {
    deshacer();
    throw;
  }
  // The old contents go last. Freeing a large file takes the file system a
  // while, so they are removed side by side.
  std::vector<std::thread> hilos;
  for (const auto& r : hechos) {
    if (r.copia.empty()) continue;
    auto quitar = [copia = r.copia] {
      std::error_code ec;
      fs::remove(copia, ec);
    };
    try {
      hilos.emplace_back(quitar);
    } catch (const std::system_error&) {
      quitar();
    }
  }
  for (auto& h : hilos) h.join();
}

void writeAtomically(const fs::path& target, std::string_view bytes) { StagedFile(target, bytes).commit(); }

void removeTableIndex(const fs::path& table) {
  fs::path mdx = table;
  mdx.replace_extension(".MDX");
  mdx = findFile(table.parent_path(), mdx.filename().string());
  std::error_code ec;
  if (fs::exists(mdx, ec) && !fs::remove(mdx, ec))
    throw FileError("No se puede borrar el índice " + nombreArchivo(mdx) + ": " + ec.message());
}

std::string readAll(const fs::path& path) {
  std::FILE* f = abrir(path, false);
  if (!f) throw FileError("No se puede leer " + nombreArchivo(path) + ": " + razon(errno));
  std::string bytes;
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (!ec) bytes.reserve(static_cast<size_t>(size));
  char buf[1 << 16];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  const int err = errno;
  const bool fallo = std::ferror(f) != 0;
  std::fclose(f);
  if (fallo) throw FileError("No se puede leer " + nombreArchivo(path) + ": " + razon(err));
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
