// Replacing several files all or none: when one rename fails after others
// have gone through, every file is put back as it was and nothing is left
// behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <map>
#include <string>
#include <vector>

#include "io/atomic_file.h"
#include "support/escuela.h"

namespace zi::io {
namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> Foto(const fs::path& dir) {
  std::map<std::string, std::string> m;
  for (const auto& e : fs::directory_iterator(dir))
    m[e.path().filename().string()] = e.is_directory() ? "<carpeta>" : test::Leer(e.path());
  return m;
}

// The temporary file staged beside `target`.
fs::path Temporal(const fs::path& target) {
  for (const auto& e : fs::directory_iterator(target.parent_path()))
    if (e.path().filename().string().rfind(target.filename().string() + ".tmp", 0) == 0) return e.path();
  return {};
}

TEST(CommitAll, ARenameThatFailsPutsBackEveryFileAlreadyReplaced) {
  // The file that cannot be replaced stands first, in the middle and last;
  // before it, files that existed and one that did not.
  for (int falla = 0; falla < 4; ++falla) {
    SCOPED_TRACE("failing file " + std::to_string(falla));
    test::DirTemporal dir;
    const std::vector<std::string> nombres = {"A.DBF", "B.DBF", "NUEVO.DBF", "C.DBF"};
    for (const auto& n : nombres)
      if (n != "NUEVO.DBF") test::Escribir(dir / n, "viejo " + n);
    const auto antes = Foto(dir.path());

    std::vector<StagedFile> archivos;
    for (const auto& n : nombres) archivos.emplace_back(dir / n, "nuevo " + n);
    // Its temporary file vanishes: the rename of that one fails.
    const fs::path quitado = Temporal(dir / nombres[falla]);
    ASSERT_FALSE(quitado.empty());
    fs::remove(quitado);

    try {
      commitAll(archivos);
      ADD_FAILURE() << "commitAll did not fail";
    } catch (const FileError& e) {
      EXPECT_NE(std::string(e.what()).find(nombres[falla]), std::string::npos) << e.what();
    }
    archivos.clear();
    EXPECT_EQ(Foto(dir.path()), antes);
  }
}

TEST(CommitAll, AllGoThroughAndNothingIsLeftBeside) {
  test::DirTemporal dir;
  test::Escribir(dir / "A.DBF", "viejo");
  std::vector<StagedFile> archivos;
  archivos.emplace_back(dir / "A.DBF", "nuevo A");
  archivos.emplace_back(dir / "B.DBF", "nuevo B");
  commitAll(archivos);
  archivos.clear();
  EXPECT_EQ(Foto(dir.path()), (std::map<std::string, std::string>{{"A.DBF", "nuevo A"}, {"B.DBF", "nuevo B"}}));
}

// A file handed over in pieces (a table written a block at a time) whose
// producer fails part way: nothing of the run is left staged, whatever failed.
TEST(StageAll, AProducerThatFailsPartWayLeavesEveryFileAsItWas) {
  struct Fallo {
    const char* que;
    std::function<void()> lanzar;
  };
  const Fallo fallos[] = {
      {"the producer's own error", [] { throw std::runtime_error("tabla ilegible"); }},
      {"a file error", [] { throw FileError("No se puede escribir B.DBF: disco lleno"); }},
  };
  for (const auto& f : fallos) {
    SCOPED_TRACE(f.que);
    test::DirTemporal dir;
    test::Escribir(dir / "A.DBF", "viejo A");
    test::Escribir(dir / "B.DBF", "viejo B");
    const auto antes = Foto(dir.path());
    std::vector<std::pair<fs::path, Producer>> archivos;
    archivos.emplace_back(dir / "A.DBF", [](const std::function<void(std::string_view)>& put) {
      put("nuevo ");
      put("A");
    });
    archivos.emplace_back(dir / "B.DBF", [&](const std::function<void(std::string_view)>& put) {
      put(std::string(100000, 'b'));
      f.lanzar();
    });
    EXPECT_ANY_THROW(stageAll(archivos));
    EXPECT_EQ(Foto(dir.path()), antes);
  }
  test::DirTemporal dir;
  std::vector<std::pair<fs::path, Producer>> archivos;
  archivos.emplace_back(dir / "A.DBF", [](const std::function<void(std::string_view)>& put) {
    put("nuevo ");
    put("");
    put("A");
  });
  auto staged = stageAll(archivos);
  commitAll(staged);
  EXPECT_EQ(Foto(dir.path()), (std::map<std::string, std::string>{{"A.DBF", "nuevo A"}}));
}

}  // namespace
}  // namespace zi::io
