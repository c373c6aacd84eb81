#include "cli_commands.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

#include "exportar/exportar_run.h"
#include "importar/importar_run.h"
#include "informe/informe.h"
#include "io/atomic_file.h"
#include "plantillas/plantillas.h"
#include "run/errores.h"
#include "text/cp1252.h"

namespace zi::cli {
namespace fs = std::filesystem;
namespace {

const char* const kAyuda =
    "zarvelon-itaca: pasa los datos de un centro entre ITACA y Zarvelon.\n"
    "\n"
    "  zarvelon-itaca exportar FICHERO.xml [--dir DIR] [--plantilla CODIGO] [--idioma valencia|castellano]\n"
    "                                      [--todas-plantillas] [--conservar-sin-clases] [--informe FICHERO.html]\n"
    "      De ITACA a Zarvelon: lee el XML exportado por ITACA y rehace las tablas de trabajo de Zarvelon\n"
    "      (profesores, cursos, grupos, asignaturas, tareas, aulas, asignaciones y tramos horarios).\n"
    "      --plantilla: la plantilla horaria (por omisi\xC3\xB3n, la primera del archivo).\n"
    "      --todas-plantillas: toma los horarios de todas las plantillas (responde \"S\xC3\xAD\").\n"
    "      --conservar-sin-clases: no quita grupos ni profesores sin clases (responde \"No\").\n"
    "\n"
    "  zarvelon-itaca importar FICHERO.xml [--dir DIR] [--plantilla CODIGO] [--curso A\xC3\x91O]\n"
    "                                      [--idioma valencia|castellano] [--informe FICHERO.html]\n"
    "      De Zarvelon a ITACA: lee el horario calculado (SOLUC.DBF) con las tablas de trabajo y escribe,\n"
    "      junto al archivo de ITACA, ResultadoZarvelon<nombre del archivo> con los horarios de grupo y\n"
    "      de ocupaciones para importar en ITACA.\n"
    "      --plantilla: por omisi\xC3\xB3n la de DIASHORAST.DBF, si no la primera del archivo.\n"
    "      --curso: el curso escolar que declara el archivo (por omisi\xC3\xB3n, el del archivo).\n"
    "\n"
    "  --dir: el directorio de las tablas de trabajo (por omisi\xC3\xB3n C:\\ZTEMP en Windows; en otros\n"
    "         sistemas $ZTEMP, o si no $HOME/ZTEMP).\n"
    "  --idioma: idioma de los textos y de los d\xC3\xAD" "as (por omisi\xC3\xB3n valencia).\n"
    "  --informe: escribe el informe completo de la ejecuci\xC3\xB3n en FICHERO.html, una p\xC3\xA1gina que se abre\n"
    "         con cualquier navegador: lo escrito en cada tabla, todos los avisos con sus c\xC3\xB3" "digos y el motivo\n"
    "         y, para exportar, las asignaciones de cada grupo; para importar, el horario semanal de cada\n"
    "         grupo y de cada profesor y los posibles choques.\n"
    "\n"
    "  Al terminar, tras \"Proceso finalizado\", se muestra un resumen: las filas escritas y, por tipo de\n"
    "  aviso, cu\xC3\xA1ntos hay y los primeros.\n";

struct Uso : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Text from the terminal (UTF-8) into the tool's Windows-1252 and back.
std::string de(const std::string& s) { return text::utf8ToCp1252(s); }
std::string a(const std::string& s) { return text::cp1252ToUtf8(s); }

struct Opciones {
  std::string orden;
  fs::path archivo;
  std::optional<fs::path> dir, informe;
  std::optional<std::string> plantilla, curso, idioma;
  bool todasPlantillas = false, conservarSinClases = false;
};

// Whether two paths name the same file, also when it does not exist yet.
bool MismoArchivo(const fs::path& a, const fs::path& b) {
  std::error_code ea, eb;
  if (fs::equivalent(a, b, ea)) return true;
  const fs::path ca = fs::weakly_canonical(a, ea), cb = fs::weakly_canonical(b, eb);
  return !ea && !eb && ca == cb;
}

Opciones Leer(const std::vector<std::string>& args) {
  Opciones o;
  std::vector<std::string> sueltos;
  auto valor = [&](size_t& i) {
    if (i + 1 >= args.size()) throw Uso("falta el valor de " + args[i]);
    return args[++i];
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& x = args[i];
    if (x == "--dir") o.dir = fs::path(valor(i));
    else if (x == "--plantilla") o.plantilla = de(valor(i));
    else if (x == "--curso") o.curso = de(valor(i));
    else if (x == "--idioma") o.idioma = valor(i);
    else if (x == "--informe") o.informe = fs::path(valor(i));
    else if (x == "--todas-plantillas") o.todasPlantillas = true;
    else if (x == "--conservar-sin-clases") o.conservarSinClases = true;
    else if (x.size() > 1 && x[0] == '-') throw Uso("opci\xC3\xB3n desconocida " + x);
    else sueltos.push_back(x);
  }
  if (sueltos.size() != 2) throw Uso("se esperan una orden (exportar o importar) y un archivo XML");
  o.orden = sueltos[0];
  o.archivo = fs::path(sueltos[1]);
  if (o.orden != "exportar" && o.orden != "importar") throw Uso("orden desconocida " + o.orden);
  if (o.orden == "exportar" && o.curso) throw Uso("--curso es solo para importar");
  if (o.orden == "importar" && (o.todasPlantillas || o.conservarSinClases))
    throw Uso("--todas-plantillas y --conservar-sin-clases son solo para exportar");
  if (o.informe && (o.informe->empty() || MismoArchivo(*o.informe, o.archivo)))
    throw Uso("el informe no puede escribirse sobre el archivo de ITACA");
  return o;
}

// "valencia", "VALENCIÁ", "castellano", ... without regard to case or accent.
std::string Idioma(const std::optional<std::string>& v) {
  if (!v) return std::string(kValencia);
  std::string s = text::upper1252(de(*v));
  if (s == "VALENCIA" || s == kValencia) return std::string(kValencia);
  if (s == kCastellano) return std::string(kCastellano);
  throw Uso("idioma desconocido " + *v + " (valencia o castellano)");
}

fs::path Directorio(const std::optional<fs::path>& dir) {
  if (dir) return *dir;
#ifdef _WIN32
  return fs::path("C:\\ZTEMP");
#else
  if (const char* z = std::getenv("ZTEMP"); z && *z) return fs::path(z);
  const char* home = std::getenv("HOME");
  return fs::path(home ? home : ".") / "ZTEMP";
#endif
}

// The answers of the command line to the two questions of exportar.
class RespuestasFijas : public Preguntas {
 public:
  RespuestasFijas(bool todas, bool conservar) : todas_(todas), conservar_(conservar) {}
  Respuesta preguntar(const std::string& texto) override {
    if (texto == kPreguntaTodasPlantillas) return todas_ ? Respuesta::Si : Respuesta::No;
    return conservar_ ? Respuesta::No : Respuesta::Si;
  }

 private:
  bool todas_, conservar_;
};

// After "Proceso finalizado": the summary and, when asked for, the whole
// report. The run's files are written by then; a report that cannot be
// written is an error of its own.
int Informar(const Informe& informe, const Opciones& o, std::ostream& out) {
  out << ResumenInforme(informe);
  if (!o.informe) return 0;
  try {
    GuardarInforme(informe, *o.informe);
  } catch (const std::exception& e) {
    throw RunError(std::string("Los datos se han pasado, pero el informe no se ha podido escribir: ") + e.what());
  }
  out << "Informe completo: " << io::nombreArchivo(*o.informe) << "\n";
  return 0;
}

int Exportar(const Opciones& o, std::ostream& out) {
  RespuestasFijas respuestas(o.todasPlantillas, o.conservarSinClases);
  ExportarRun run(Directorio(o.dir), respuestas);
  run.CargarDocumento(o.archivo);
  const std::string idioma = Idioma(o.idioma);
  run.ComboBoxValCast = idioma;
  if (run.tienePlantillas()) {
    CatalogoPlantillas cat(run.documento());
    std::string codigo = o.plantilla ? *o.plantilla : cat.codigos().front();
    if (!cat.contiene(codigo))
      throw RunError("La plantilla " + a(codigo) + " no está en " + o.archivo.string() + ".");
    run.AplicarPlantilla(Elegir(cat, codigo), idioma);
  } else if (o.plantilla) {
    throw RunError(o.archivo.string() + " no tiene plantillas horarias: no se puede elegir la plantilla " +
                   a(*o.plantilla) + ".");
  }
  run.Ejecutar();
  out << kProcesoFinalizado << "\n";
  return Informar(InformeExportar(run), o, out);
}

int Importar(const Opciones& o, std::ostream& out) {
  ImportarRun run(Directorio(o.dir));
  run.Preparar(o.archivo);
  const std::string idioma = Idioma(o.idioma);
  CatalogoPlantillas cat(run.documento());
  std::string codigo;
  if (o.plantilla) {
    codigo = *o.plantilla;
    if (!cat.contiene(codigo))
      throw RunError("La plantilla " + a(codigo) + " no está en " + o.archivo.string() + ".");
  } else {
    codigo = run.PlantillaAnterior();
    if (codigo.empty() || !cat.contiene(codigo)) codigo = cat.vacio() ? std::string() : cat.codigos().front();
  }
  run.AplicarPlantilla(Elegir(cat, codigo), idioma);
  run.CursoDestino = o.curso ? *o.curso : run.CursoDelArchivo();
  if (o.informe && MismoArchivo(*o.informe, run.ArchivoResultado()))
    throw Uso("el informe no puede escribirse sobre " + io::nombreArchivo(run.ArchivoResultado()));
  run.Ejecutar();
  out << kProcesoFinalizado << "\n";
  return Informar(InformeImportar(run), o, out);
}

}  // namespace

int Principal(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "ayuda") {
    (args.empty() ? err : out) << kAyuda;
    return args.empty() ? 2 : 0;
  }
  Opciones o;
  try {
    o = Leer(args);
  } catch (const Uso& e) {
    err << "zarvelon-itaca: " << e.what() << "\n(zarvelon-itaca --help explica el uso)\n";
    return 2;
  }
  try {
    return o.orden == "exportar" ? Exportar(o, out) : Importar(o, out);
  } catch (const ArchivoNoExiste& e) {
    err << e.what() << " (" << e.ruta() << ")\n";
  } catch (const Uso& e) {
    err << "zarvelon-itaca: " << e.what() << "\n";
    return 2;
  } catch (const std::exception& e) {
    err << "Error: " << e.what() << "\n";
  }
  return 1;
}

}  // namespace zi::cli
