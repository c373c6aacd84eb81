// Times the three things a user waits for, on prepared schools:
//
//   parse     loading and parsing the ITACA file alone
//   exportar  the whole ITACA-to-Zarvelon run, tables written
//   importar  the whole Zarvelon-to-ITACA run, result file written
//
//   zi_bench [--reps N] [--min-seconds S] CASE...
//
// A CASE is a directory made by bench/run.sh: centro.xml and a working
// directory Z/ holding the tables of an earlier exportar and a matching
// SOLUC.DBF. Every run of every operation is a fresh process of its own (this
// program again, with --child), as a run of the command line is: it pays for
// the memory it first touches, and its peak memory (ru_maxrss) is its own.
// The three operations take turns, round after round, until both --reps rounds
// and --min-seconds of runs are reached; the table gives the median and the
// fastest of each, and a line the median ratio of exportar to parse taken
// round by round. Results go to standard output as a table, and as
// tab-separated lines to --tsv FILE when given.
#include <sys/resource.h>
#include <time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "exportar/exportar_run.h"
#include "importar/importar_run.h"
#include "plantillas/plantillas.h"
#include "run/preguntas.h"
#include "xml/xml_document.h"

namespace fs = std::filesystem;

namespace {

// The answers of the command line by default: only the chosen template's
// timetables, groups and teachers without classes removed.
class Respuestas : public zi::Preguntas {
 public:
  zi::Respuesta preguntar(const std::string& texto) override {
    return texto == zi::kPreguntaTodasPlantillas ? zi::Respuesta::No : zi::Respuesta::Si;
  }
};

void parse(const fs::path& xml) {
  zi::xml::Document d = zi::xml::Document::load(xml);
  if (!d.root().valid()) std::abort();
}

void exportar(const fs::path& xml, const fs::path& dir) {
  Respuestas r;
  zi::ExportarRun run(dir, r);
  run.CargarDocumento(xml);
  zi::CatalogoPlantillas cat(run.documento());
  if (!cat.vacio()) run.AplicarPlantilla(zi::Elegir(cat, cat.codigos().front()), zi::kValencia);
  run.Ejecutar();
}

void importar(const fs::path& xml, const fs::path& dir) {
  zi::ImportarRun run(dir);
  run.Preparar(xml);
  zi::CatalogoPlantillas cat(run.documento());
  std::string codigo = run.PlantillaAnterior();
  if (codigo.empty() || !cat.contiene(codigo)) codigo = cat.vacio() ? std::string() : cat.codigos().front();
  run.AplicarPlantilla(zi::Elegir(cat, codigo), zi::kValencia);
  run.CursoDestino = run.CursoDelArchivo();
  run.Ejecutar();
}

double cpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

long maxrssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// The child: runs the operation once; prints "rssBefore wall cpu" (kilobytes
// before it, seconds on the clock and on the processor).
int child(const std::string& op, const fs::path& dir) {
  const fs::path xml = dir / "centro.xml", work = dir / "Z";
  const long before = maxrssKb();
  const double c = cpuSeconds();
  const auto a = std::chrono::steady_clock::now();
  if (op == "parse") parse(xml);
  else if (op == "exportar") exportar(xml, work);
  else if (op == "importar") importar(xml, work);
  else return 2;
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count();
  std::cout << before << ' ' << s << ' ' << cpuSeconds() - c << '\n';
  return 0;
}

struct Resultado {
  double median = 0, min = 0, cpuMedian = 0;
  int runs = 0;
  long rssKb = 0, rssBeforeKb = 0;
};

struct Corrida {
  double wall = 0, cpu = 0;
  long rssKb = 0, rssBeforeKb = 0;
};

Corrida una(const std::string& self, const std::string& op, const fs::path& dir) {
  int fd[2];
  if (pipe(fd) != 0) throw std::runtime_error("pipe");
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fd[1], 1);
    close(fd[0]);
    close(fd[1]);
    execl(self.c_str(), self.c_str(), "--child", op.c_str(), dir.c_str(), (char*)nullptr);
    _exit(127);
  }
  close(fd[1]);
  std::string out;
  char buf[4096];
  ssize_t n;
  while ((n = read(fd[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  close(fd[0]);
  int status = 0;
  rusage u{};
  wait4(pid, &status, 0, &u);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error(op + " failed on " + dir.string());
  std::istringstream in(out);
  Corrida c;
  if (!(in >> c.rssBeforeKb >> c.wall >> c.cpu)) throw std::runtime_error("no timings from " + op);
  c.rssKb = u.ru_maxrss;
  return c;
}

// The medians and the fastest of one operation's runs.
struct Medidas {
  std::vector<double> wall, cpu;
  Resultado res;
};

Resultado resumir(const Medidas& m) {
  std::vector<double> t = m.wall, cpu = m.cpu;
  std::sort(t.begin(), t.end());
  std::sort(cpu.begin(), cpu.end());
  Resultado r = m.res;
  r.cpuMedian = cpu[cpu.size() / 2];
  r.median = t[t.size() / 2];
  r.min = t.front();
  r.runs = static_cast<int>(t.size());
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--child") {
    if (args.size() != 3) return 2;
    try {
      return child(args[1], args[2]);
    } catch (const std::exception& e) {
      std::cerr << args[1] << ": " << e.what() << "\n";
      return 1;
    }
  }
  int reps = 5;
  double minSeconds = 2;
  std::string tsv;
  std::vector<fs::path> casos;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--reps" && i + 1 < args.size()) reps = std::stoi(args[++i]);
    else if (args[i] == "--min-seconds" && i + 1 < args.size()) minSeconds = std::stod(args[++i]);
    else if (args[i] == "--tsv" && i + 1 < args.size()) tsv = args[++i];
    else casos.emplace_back(args[i]);
  }
  if (casos.empty()) {
    std::cerr << "usage: zi_bench [--reps N] [--min-seconds S] [--tsv FILE] CASE_DIR...\n";
    return 2;
  }
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  std::ofstream t;
  if (!tsv.empty()) {
    t.open(tsv);
    t << "case\tbytes\top\tmedian_s\tmin_s\tcpu_median_s\truns\tpeak_rss_kb\trss_before_kb\n";
  }
  std::printf("%-10s %10s  %-9s %10s %8s %8s %5s %9s %7s %9s\n", "case", "xml bytes", "op", "median ms", "min ms",
              "cpu ms", "runs", "peak MiB", "x file", "+MiB run");
  try {
    for (const auto& c : casos) {
      const auto bytes = fs::file_size(c / "centro.xml");
      // The three operations run in turn, round after round, so that whatever
      // the machine does meanwhile weighs on all three alike, and each round
      // starts with the next one, so that none always follows the same other;
      // the ratio of exportar to parse is taken within each round.
      const char* ops[] = {"parse", "exportar", "importar"};
      Medidas m[3];
      std::vector<double> ratios;
      double total = 0;
      while ((static_cast<int>(ratios.size()) < reps || total < minSeconds) && ratios.size() < 500) {
        for (int j = 0; j < 3; ++j) {
          const int i = static_cast<int>((j + ratios.size()) % 3);
          const Corrida k = una(self, ops[i], c);
          m[i].wall.push_back(k.wall);
          m[i].cpu.push_back(k.cpu);
          m[i].res.rssKb = std::max(m[i].res.rssKb, k.rssKb);
          m[i].res.rssBeforeKb = std::max(m[i].res.rssBeforeKb, k.rssBeforeKb);
          total += k.wall;
        }
        ratios.push_back(m[1].wall.back() / m[0].wall.back());
      }
      for (int i = 0; i < 3; ++i) {
        const Resultado r = resumir(m[i]);
        const char* op = ops[i];
        std::printf("%-10s %10ju  %-9s %10.1f %8.1f %8.1f %5d %9.1f %7.2f %9.1f\n", c.filename().c_str(),
                    static_cast<uintmax_t>(bytes), op, r.median * 1e3, r.min * 1e3, r.cpuMedian * 1e3, r.runs,
                    r.rssKb / 1024.0, r.rssKb * 1024.0 / static_cast<double>(bytes),
                    (r.rssKb - r.rssBeforeKb) / 1024.0);
        if (t) t << c.filename().string() << '\t' << bytes << '\t' << op << '\t' << r.median << '\t' << r.min << '\t'
                 << r.cpuMedian << '\t' << r.runs << '\t' << r.rssKb << '\t' << r.rssBeforeKb << '\n';
      }
      std::sort(ratios.begin(), ratios.end());
      std::printf("%-10s exportar / parse, run beside run: median %.2f (from %.2f to %.2f)\n", c.filename().c_str(),
                  ratios[ratios.size() / 2], ratios.front(), ratios.back());
      std::fflush(stdout);
    }
  } catch (const std::exception& e) {
    std::cerr << "zi_bench: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
