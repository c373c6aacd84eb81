// The run report: what a finished run converted, everything it left out and
// why and, from Zarvelon to ITACA, the timetable it wrote as weekly grids, for
// the head of studies to check before taking the file to ITACA.
//
// The report is built from what the run kept in memory (its tables, notices
// and the list of elements it wrote) once the run has ended. Nothing is read
// again from disk, and building or saving a report never changes what the run
// wrote. Every text of the report is UTF-8.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "run/avisos.h"
#include "tables/dbf.h"

namespace zi {

class ExportarRun;
class ImportarRun;

enum class Sentido { ItacaAZarvelon, ZarvelonAItaca };

// One line of the counts: what was written and how many rows or elements.
struct Recuento {
  std::string que;      // "PROFT.DBF", "Horarios de grupo", ...
  std::string detalle;  // what the rows are, in a few words
  std::size_t filas = 0;
};

// The notices of one kind, in the order the run raised them.
struct AvisosDeUnTipo {
  TipoAviso tipo;
  std::string titulo;
  std::vector<Aviso> avisos;
};

// ITACA to Zarvelon: one row of ASIGT.
struct AsignacionInforme {
  std::string asignatura, nombreAsignatura;  // CASIG and its ASIGNOMT name
  std::string horas;                         // HORAS, without needless zeros
  std::string profesor, nombreProfesor;      // CPROF and its PROFT name
  std::string grupo;                         // CGRUP
  std::string aula, nombreAula;              // CAULA and its AULAT name
  std::string sesiones;                      // the lesson pattern SESIONES
};

// The assignments of one group (or the tasks of one teacher).
struct AsignacionesDe {
  std::string codigo, nombre;
  std::vector<AsignacionInforme> filas;
  std::string horas;  // their weekly hours added up
};

// Zarvelon to ITACA: one period of the template, as the grids show it down.
struct PeriodoInforme {
  long long hora = 0;  // HORA of its time slots
  std::string numero, desde, hasta;  // SESION_ORDEN, HORADESDE, HORAHASTA
};

// One element the run wrote, with the names of its codes.
struct ClaseInforme {
  dbf::RecNo fila = 0;  // its row in SOLUC
  bool ocupacion = false;
  long long dia = 0;        // 1 Monday .. 7 Sunday (another number: written without day)
  std::size_t periodo = 0;  // index in Informe::periodos
  std::string asignatura, nombreAsignatura;
  std::string grupo, nombreGrupo;
  std::string profesor, nombreProfesor;
  std::string aula, nombreAula;
};

// The weekly grid of one group, teacher or room.
struct HorarioSemanal {
  std::string codigo, nombre;
  // The classes of each cell, as indexes in Informe::clases: cell (dia,
  // periodo) is celdas[(dia - 1) * periodos + periodo], for the seven days.
  std::vector<std::vector<std::size_t>> celdas;
  std::size_t clases = 0;
};

// A group, teacher or room placed more than once in the same day and period.
struct Choque {
  std::string de;  // "Profesor", "Grupo" or "Aula"
  std::string codigo, nombre;
  long long dia = 0;
  std::size_t periodo = 0;
  std::vector<std::size_t> clases;  // indexes in Informe::clases
};

struct Informe {
  Sentido sentido = Sentido::ItacaAZarvelon;
  std::string archivo;     // the ITACA file
  std::string directorio;  // the working tables' directory
  std::string plantilla;   // the chosen template's code
  std::string alcance;     // ITACA to Zarvelon: whose timetables were taken
  std::string resultado;   // Zarvelon to ITACA: the file written
  std::string curso;       // Zarvelon to ITACA: the school year it declares
  std::string fecha;       // when the report was made
  std::vector<Recuento> recuentos;
  std::vector<AvisosDeUnTipo> avisos;  // kinds with notices, the most important first
  std::size_t totalAvisos = 0;

  // ITACA to Zarvelon: ASIGT by group (in GRUPOST order) and the tasks by
  // teacher (in PROFT order).
  std::vector<AsignacionesDe> asignacionesPorGrupo, tareasPorProfesor;

  // Zarvelon to ITACA.
  std::vector<PeriodoInforme> periodos;
  std::vector<long long> dias;  // the grids' columns: 1 to 5, and 6 and 7 when used
  std::vector<ClaseInforme> clases;
  std::vector<HorarioSemanal> horariosGrupo, horariosProfesor;  // those with classes, in table order
  std::vector<std::string> gruposSinClases;                     // GRUPOST codes without any class
  std::vector<std::size_t> fueraDeCuadricula;  // classes written without a day of the week
  std::vector<Choque> choques;      // teachers first, then groups, then rooms

  // The classes of one cell of a grid.
  const std::vector<std::size_t>& celda(const HorarioSemanal& h, long long dia, std::size_t periodo) const {
    return h.celdas[static_cast<std::size_t>(dia - 1) * periodos.size() + periodo];
  }
};

// The report of a run that has ended (Ejecutar returned). For ITACA to
// Zarvelon the seven tables must have been built.
Informe InformeExportar(const ExportarRun& run);
Informe InformeImportar(const ImportarRun& run);

// A few lines for the end of a run: what was written, per kind of notice the
// count and the first three with their codes and reason, and the clashes.
std::string ResumenInforme(const Informe& informe);

// The whole report as one HTML page with nothing outside it: no scripts, no
// links out, the style inline. The markup is also well-formed XML.
std::string InformeHtml(const Informe& informe);

// Writes InformeHtml through a temporary file and a rename. Throws
// io::FileError naming the file.
void GuardarInforme(const Informe& informe, const std::filesystem::path& archivo);

// The Spanish name of day 1 (Monday) to 7; empty for any other number.
const char* NombreDia(long long dia);

}  // namespace zi
