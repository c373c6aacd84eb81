// Building the report from a finished run.
#include "informe/informe.h"

#include <map>
#include <unordered_map>
#include <unordered_set>

#include "exportar/exportar_run.h"
#include "importar/importar_run.h"
#include "io/atomic_file.h"
#include "tables/working_tables.h"
#include "text/cp1252.h"
#include "text/fecha.h"
#include "xml/itaca_paths.h"

namespace zi {
namespace {

std::string U(std::string_view s) { return text::cp1252ToUtf8(s); }


// The run's notices by kind, the kinds in their order of importance.
void Agrupar(const Avisos& avisos, Informe& inf) {
  std::map<TipoAviso, std::vector<Aviso>> porTipo;
  for (const auto& a : avisos.lista()) porTipo[a.tipo].push_back(a);
  for (auto& [tipo, lista] : porTipo) {
    inf.totalAvisos += lista.size();
    inf.avisos.push_back({tipo, TituloAviso(tipo), std::move(lista)});
  }
}

// Code to name of one table (UTF-8 both), the first live row of a code
// deciding, as a locate would.
class Nombres {
 public:
  Nombres(const dbf::Table* t, const char* clave, const char* nombre) {
    if (!t) return;
    const int fc = t->fieldIndex(clave), fn = t->fieldIndex(nombre);
    if (fc < 0 || fn < 0) return;
    for (dbf::RecNo r = 1; r <= t->recordCount(); ++r)
      if (!t->isDeleted(r)) m_.emplace(U(t->getText(r, fc)), U(t->getText(r, fn)));
  }
  std::string operator()(const std::string& codigo) const {
    auto it = m_.find(codigo);
    return it == m_.end() ? std::string() : it->second;
  }

 private:
  std::unordered_map<std::string, std::string> m_;
};

const char* DetalleTabla(const std::string& nombre) {
  static const std::map<std::string, const char*> m = {
      {tables::PROFT, "profesores"},          {tables::CURSOST, "cursos"},
      {tables::GRUPOST, "grupos"},            {tables::ASIGNOMT, "asignaturas y tareas"},
      {tables::AULAT, "aulas"},               {tables::ASIGT, "asignaciones"},
      {tables::DIASHORAST, "tramos horarios"}};
  auto it = m.find(nombre);
  return it == m.end() ? "" : it->second;
}

// Buckets in the order of a table's rows, then any other code in the order
// it first came.
class Cubetas {
 public:
  explicit Cubetas(std::vector<AsignacionesDe>& destino) : v_(destino) {}
  void abrir(const std::string& codigo, const std::string& nombre) {
    if (idx_.emplace(codigo, v_.size()).second) v_.push_back({codigo, nombre, {}, ""});
  }
  AsignacionesDe& de(const std::string& codigo) {
    abrir(codigo, "");
    return v_[idx_.at(codigo)];
  }

 private:
  std::vector<AsignacionesDe>& v_;
  std::unordered_map<std::string, std::size_t> idx_;
};

// The weekly grids of the groups, teachers or rooms that have classes, in
// the order of their table; `codigo` picks a class's code.
template <class Codigo>
std::vector<HorarioSemanal> Horarios(const Informe& inf, const std::vector<bool>& enCuadricula, const dbf::Table* t,
                                     const char* campoNombre, Codigo codigo, std::vector<std::string>* sinClases) {
  const std::size_t n = inf.periodos.size();
  std::unordered_set<std::string> usados;
  for (std::size_t i = 0; i < inf.clases.size(); ++i)
    if (enCuadricula[i] && !codigo(inf.clases[i]).empty()) usados.insert(codigo(inf.clases[i]));

  std::vector<HorarioSemanal> v;
  std::unordered_map<std::string, std::size_t> idx;
  auto nuevo = [&](const std::string& cod, std::string nombre) {
    idx.emplace(cod, v.size());
    v.push_back({cod, std::move(nombre), std::vector<std::vector<std::size_t>>(7 * n), 0});
  };
  if (t && t->fieldIndex("ABREV") >= 0 && t->fieldIndex(campoNombre) >= 0) {
    std::unordered_set<std::string> vistos;
    for (dbf::RecNo r = 1; r <= t->recordCount(); ++r) {
      if (t->isDeleted(r)) continue;
      const std::string cod = U(t->getText(r, "ABREV"));
      if (!vistos.insert(cod).second) continue;
      if (usados.count(cod)) nuevo(cod, U(t->getText(r, campoNombre)));
      else if (sinClases) sinClases->push_back(cod);
    }
  }
  for (std::size_t i = 0; i < inf.clases.size(); ++i) {
    const ClaseInforme& c = inf.clases[i];
    if (!enCuadricula[i] || codigo(c).empty()) continue;
    auto it = idx.find(codigo(c));
    if (it == idx.end()) {
      nuevo(codigo(c), "");
      it = idx.find(codigo(c));
    }
    HorarioSemanal& h = v[it->second];
    h.celdas[static_cast<std::size_t>(c.dia - 1) * n + c.periodo].push_back(i);
    ++h.clases;
  }
  return v;
}

void Choques(const Informe& inf, const std::vector<HorarioSemanal>& horarios, const char* de,
             std::vector<Choque>& choques) {
  for (const auto& h : horarios)
    for (long long d = 1; d <= 7; ++d)
      for (std::size_t p = 0; p < inf.periodos.size(); ++p) {
        const auto& celda = inf.celda(h, d, p);
        if (celda.size() > 1) choques.push_back({de, h.codigo, h.nombre, d, p, celda});
      }
}

}  // namespace

const char* NombreDia(long long dia) {
  static const char* const dias[7] = {"Lunes", "Martes", "Mi\xC3\xA9rcoles", "Jueves",
                                      "Viernes", ("S\xC3\xA1" "bado"), "Domingo"};
  return dia >= 1 && dia <= 7 ? dias[dia - 1] : "";
}

namespace {

// What both reports begin with: direction, moment, files and template.
template <class Run>
Informe Cabecera(Sentido sentido, const Run& run) {
  Informe inf;
  inf.sentido = sentido;
  inf.fecha = text::AhoraLocal("%d/%m/%Y %H:%M");
  inf.archivo = io::nombreArchivo(run.ArchivoXML);
  inf.directorio = io::nombreArchivo(run.directorio());
  inf.plantilla = U(run.PlantillaSel);
  return inf;
}

}  // namespace

Informe InformeExportar(const ExportarRun& run) {
  Informe inf = Cabecera(Sentido::ItacaAZarvelon, run);
  if (!run.documento().selectFirst(itaca::kHorariosGrupo).valid())
    inf.alcance = "El archivo no trae horarios de grupo";
  else if (run.SoloPlantillaSel == 1)
    inf.alcance = "Solo los horarios de la plantilla " + inf.plantilla;
  else
    inf.alcance = "Los horarios de todas las plantillas";
  for (const auto& nombre : tables::builtTables())
    if (run.tieneTabla(nombre)) inf.recuentos.push_back({nombre + ".DBF", DetalleTabla(nombre), run.tabla(nombre).liveCount()});
  Agrupar(run.avisos(), inf);
  if (!run.tieneTabla(tables::ASIGT)) return inf;

  const dbf::Table* grupos = run.tieneTabla(tables::GRUPOST) ? &run.tabla(tables::GRUPOST) : nullptr;
  const dbf::Table* profes = run.tieneTabla(tables::PROFT) ? &run.tabla(tables::PROFT) : nullptr;
  const Nombres asignatura(run.tieneTabla(tables::ASIGNOMT) ? &run.tabla(tables::ASIGNOMT) : nullptr, "COD", "NOMBRE");
  const Nombres profesor(profes, "ABREV", "NOMBRE");
  const Nombres aula(run.tieneTabla(tables::AULAT) ? &run.tabla(tables::AULAT) : nullptr, "ABREV", "NOMBRE");

  Cubetas porGrupo(inf.asignacionesPorGrupo), porProfesor(inf.tareasPorProfesor);
  for (dbf::RecNo g = 1; grupos && g <= grupos->recordCount(); ++g)
    if (!grupos->isDeleted(g)) porGrupo.abrir(U(grupos->getText(g, "ABREV")), U(grupos->getText(g, "DESCRIP")));
  for (dbf::RecNo p = 1; profes && p <= profes->recordCount(); ++p)
    if (!profes->isDeleted(p)) porProfesor.abrir(U(profes->getText(p, "ABREV")), U(profes->getText(p, "NOMBRE")));

  const dbf::Table& asig = run.tabla(tables::ASIGT);
  std::unordered_map<std::string, double> horas;  // per bucket, "G" or "P" and the code
  for (dbf::RecNo r = 1; r <= asig.recordCount(); ++r) {
    if (asig.isDeleted(r)) continue;
    AsignacionInforme a;
    a.asignatura = U(asig.getText(r, "CASIG"));
    a.nombreAsignatura = asignatura(a.asignatura);
    a.horas = asig.getText(r, "HORAS");
    a.profesor = U(asig.getText(r, "CPROF"));
    a.nombreProfesor = profesor(a.profesor);
    a.grupo = U(asig.getText(r, "CGRUP"));
    a.aula = U(asig.getText(r, "CAULA"));
    a.nombreAula = aula(a.aula);
    a.sesiones = U(asig.getText(r, "SESIONES"));
    const bool tarea = a.grupo.empty();
    const std::string clave = (tarea ? "P" : "G") + (tarea ? a.profesor : a.grupo);
    horas[clave] += asig.getFloat(r, "HORAS");
    (tarea ? porProfesor.de(a.profesor) : porGrupo.de(a.grupo)).filas.push_back(std::move(a));
  }
  for (auto& g : inf.asignacionesPorGrupo) g.horas = TextoNumero(horas["G" + g.codigo]);
  std::erase_if(inf.tareasPorProfesor, [](const AsignacionesDe& p) { return p.filas.empty(); });
  for (auto& p : inf.tareasPorProfesor) p.horas = TextoNumero(horas["P" + p.codigo]);
  return inf;
}

Informe InformeImportar(const ImportarRun& run) {
  Informe inf = Cabecera(Sentido::ZarvelonAItaca, run);
  inf.resultado = io::nombreArchivo(run.ArchivoResultado());
  inf.curso = U(run.CursoDestino);
  inf.recuentos.push_back({"Horarios de grupo", "clases escritas para ITACA", run.horariosGrupo()});
  inf.recuentos.push_back(
      {"Horarios de ocupaci\xC3\xB3n", "periodos de ocupaci\xC3\xB3n escritos para ITACA", run.horariosOcupacion()});
  const dbf::Table* tramos = run.tabla(tables::DIASHORAST);
  const dbf::Table* soluc = run.tabla(tables::SOLUC);
  if (tramos) inf.recuentos.push_back({"DIASHORAST.DBF", "tramos horarios reescritos", tramos->liveCount()});
  if (soluc) inf.recuentos.push_back({"SOLUC.DBF", "filas le\xC3\xAD" "das de la soluci\xC3\xB3n", soluc->liveCount()});
  Agrupar(run.avisos(), inf);

  // The template's periods, from the slots of Monday.
  std::unordered_map<long long, std::size_t> periodoDeHora;
  if (tramos) {
    for (dbf::RecNo r = 1; r <= tramos->recordCount(); ++r) {
      if (tramos->isDeleted(r) || tramos->getText(r, "DIA") != "1" || tramos->getText(r, "MARCO") != "0") continue;
      const long long hora = tramos->getInteger(r, "HORA");
      if (!periodoDeHora.emplace(hora, inf.periodos.size()).second) continue;
      inf.periodos.push_back({hora, U(tramos->getText(r, "SESION_ORDEN")), U(tramos->getText(r, "HORADESDE")),
                              U(tramos->getText(r, "HORAHASTA"))});
    }
  }

  const Nombres asignatura(run.tabla(tables::ASIGNOMT), "COD", "NOMBRE");
  const Nombres grupo(run.tabla(tables::GRUPOST), "ABREV", "DESCRIP");
  const Nombres profesor(run.tabla(tables::PROFT), "ABREV", "NOMBRE");
  const Nombres aula(run.tabla(tables::AULAT), "ABREV", "NOMBRE");
  const auto& escritas = run.sesionesEscritas();
  inf.clases.reserve(escritas.size());
  std::vector<bool> enCuadricula(escritas.size());
  bool sabado = false, domingo = false;
  for (std::size_t i = 0; i < escritas.size(); ++i) {
    const SesionEscrita& s = escritas[i];
    ClaseInforme c;
    c.fila = s.fila;
    c.ocupacion = s.ocupacion;
    c.dia = s.dia;
    c.asignatura = U(s.asignatura);
    c.nombreAsignatura = asignatura(c.asignatura);
    c.grupo = U(s.grupo);
    c.nombreGrupo = grupo(c.grupo);
    c.profesor = U(s.profesor);
    c.nombreProfesor = profesor(c.profesor);
    c.aula = U(s.aula);
    c.nombreAula = aula(c.aula);
    auto p = periodoDeHora.find(s.hora);
    if (p != periodoDeHora.end()) c.periodo = p->second;
    enCuadricula[i] = s.dia >= 1 && s.dia <= 7 && p != periodoDeHora.end();
    if (!enCuadricula[i]) inf.fueraDeCuadricula.push_back(i);
    sabado |= enCuadricula[i] && s.dia == 6;
    domingo |= enCuadricula[i] && s.dia == 7;
    inf.clases.push_back(std::move(c));
  }
  inf.dias = {1, 2, 3, 4, 5};
  if (sabado) inf.dias.push_back(6);
  if (domingo) inf.dias.push_back(7);

  inf.horariosGrupo = Horarios(inf, enCuadricula, run.tabla(tables::GRUPOST), "DESCRIP",
                               [](const ClaseInforme& c) -> const std::string& { return c.grupo; }, &inf.gruposSinClases);
  inf.horariosProfesor = Horarios(inf, enCuadricula, run.tabla(tables::PROFT), "NOMBRE",
                                  [](const ClaseInforme& c) -> const std::string& { return c.profesor; }, nullptr);
  const auto horariosAula = Horarios(inf, enCuadricula, run.tabla(tables::AULAT), "NOMBRE",
                                     [](const ClaseInforme& c) -> const std::string& { return c.aula; }, nullptr);
  Choques(inf, inf.horariosProfesor, "Profesor", inf.choques);
  Choques(inf, inf.horariosGrupo, "Grupo", inf.choques);
  Choques(inf, horariosAula, "Aula", inf.choques);
  return inf;
}

}  // namespace zi
