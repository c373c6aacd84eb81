// The report as one self-contained HTML page.
//
// The page has no scripts and nothing from outside: the style is inline and
// the only links point inside the page. The markup is kept well-formed XML
// (every element closed, attributes quoted, only the five XML entities) so
// that any XML reader can check it, and every value goes through Esc.
#include <string>
#include <unordered_set>

#include "informe/informe.h"
#include "io/atomic_file.h"
#include "text/cp1252.h"

namespace zi {
namespace {

// Text or attribute value: escaped, valid UTF-8, and without the control
// characters that XML forbids.
std::string Esc(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const char32_t c = text::nextUtf8(s, i);
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF) out += "\xEF\xBF\xBD";
        else text::appendUtf8(out, c);
    }
  }
  return out;
}

const char* const kEstilo = R"css(
*{box-sizing:border-box}
body{margin:0;background:#eef1f4;color:#1f2a37;font:14px/1.45 "Segoe UI",Roboto,"Helvetica Neue",Arial,sans-serif}
.pagina{max-width:1240px;margin:0 auto;padding:28px 36px 56px;background:#fff;min-height:100vh}
.cabecera{border-bottom:3px solid #1d5c8c;padding-bottom:14px;margin-bottom:22px}
.marca{margin:0;color:#5b6b7c;font-size:12px;letter-spacing:.08em;text-transform:uppercase}
h1{margin:2px 0 12px;color:#1d5c8c;font-size:26px;font-weight:600}
h2{margin:34px 0 10px;padding-bottom:4px;border-bottom:1px solid #d5dde6;color:#1d5c8c;font-size:20px;font-weight:600}
h3{margin:22px 0 6px;font-size:16px;font-weight:600}
h3 .nombre{color:#5b6b7c;font-weight:400;margin-left:6px}
h3 .extra{float:right;color:#5b6b7c;font-weight:400;font-size:13px}
dl.datos{display:grid;grid-template-columns:max-content 1fr;gap:3px 18px;margin:0;font-size:13px}
dl.datos dt{color:#5b6b7c}
dl.datos dd{margin:0;word-break:break-all}
.cifras{display:flex;flex-wrap:wrap;gap:10px;margin:6px 0 4px}
.cifra{flex:1 1 120px;max-width:240px;border:1px solid #d5dde6;border-radius:6px;padding:8px 12px;background:#f8fafc}
.cifra b{display:block;font-size:22px;font-weight:600;color:#1f2a37}
.cifra span{display:block;font-size:13px;font-weight:600;color:#3e4c5a}
.cifra small{display:block;font-size:11.5px;line-height:1.3;color:#5b6b7c}
.cifra.alerta{border-color:#e0a526;background:#fff8e6}
.cifra.alerta b{color:#a56a00}
.cifra.bien{border-color:#9fd0b0;background:#effaf3}
.cifra.bien b{color:#237a46}
nav.indice{margin-top:14px;font-size:13px}
nav a,.saltos a{color:#1d5c8c;text-decoration:none;margin-right:12px;white-space:nowrap}
.saltos{font-size:12px;line-height:1.9;margin:0 0 8px}
.saltos a{margin-right:8px;padding:1px 6px;border:1px solid #d5dde6;border-radius:3px}
p.nota{color:#5b6b7c;margin:4px 0 10px}
p.vacio{color:#5b6b7c;font-style:italic}
.num{display:inline-block;min-width:26px;margin-left:4px;padding:0 8px;border-radius:11px;background:#e0a526;color:#fff;font-size:12px;font-weight:600;text-align:center;vertical-align:2px}
.num.cero{background:#237a46}
details.tipo{margin:8px 0;border:1px solid #e3e8ee;border-left:4px solid #e0a526;border-radius:4px;background:#fff}
details.tipo summary{padding:7px 12px;cursor:pointer;font-weight:600}
details.tipo .cuerpo{padding:0 12px 10px}
p.motivo{margin:2px 0 8px;color:#3e4c5a}
p.motivo b{color:#1f2a37}
table{border-collapse:collapse}
table.lista{width:100%;font-size:13px}
table.lista th{text-align:left;font-weight:600;color:#3e4c5a;background:#f3f6f9;border-bottom:1px solid #d5dde6;padding:4px 8px}
table.lista td{border-bottom:1px solid #edf1f5;padding:3px 8px;vertical-align:top}
table.lista td.n,table.lista th.n{text-align:right;font-variant-numeric:tabular-nums}
table.lista tr.total td{border-top:1px solid #c8d2dc;border-bottom:0;font-weight:600}
.codigo{font-family:Consolas,"DejaVu Sans Mono",monospace;font-size:12.5px}
.apagado{color:#8795a4;font-style:italic}
section.horario{margin:0 0 26px;break-inside:avoid;page-break-inside:avoid}
table.horario{width:100%;table-layout:fixed;border:1px solid #b9c6d3;font-size:12px}
table.horario col.periodo{width:92px}
table.horario thead th{background:#1d5c8c;color:#fff;font-weight:600;padding:5px 4px;border:1px solid #1d5c8c}
table.horario tbody th{background:#f3f6f9;border:1px solid #d5dde6;padding:3px 6px;text-align:left;font-weight:400;color:#3e4c5a;vertical-align:top}
table.horario tbody th b{display:block;color:#1f2a37;font-size:13px}
table.horario td{border:1px solid #d5dde6;padding:3px 5px;height:50px;vertical-align:top;overflow:hidden}
table.horario tr.pausa th,table.horario tr.pausa td{height:auto;padding:1px 6px;background:#f7f9fb;color:#8795a4;font-size:11px;text-align:center}
.clase{display:block}
.clase .asig{display:block;font-weight:600;color:#1f2a37;line-height:1.25;overflow-wrap:anywhere}
.clase .det{display:block;color:#5b6b7c;white-space:nowrap;overflow:hidden;text-overflow:ellipsis}
.clase.ocupacion .asig{color:#4a5d70;font-weight:400;font-style:italic}
td.ocupacion{background:#f1f4f8}
td.varias{background:#fff1cc;box-shadow:inset 0 0 0 2px #e0a526}
td.varias .clase{border-top:1px dashed #d39a1f;padding-top:2px;margin-top:2px}
td.varias .marca-varias+.clase{border-top:0;margin-top:0;padding-top:0}
span.de{display:inline-block;min-width:62px;margin-right:2px;padding:0 5px;border-radius:3px;background:#e8edf2;color:#3e4c5a;font-size:11px;text-align:center}
.marca-varias{display:block;width:fit-content;background:#c77800;color:#fff;border-radius:3px;font-size:10px;font-weight:600;line-height:1.5;padding:0 5px;margin-bottom:2px}
p.leyenda{margin:4px 0 0;font-size:12px;color:#5b6b7c}
p.leyenda b{color:#3e4c5a;font-weight:600}
@media print{body{background:#fff}.pagina{padding:0;max-width:none}nav,.saltos{display:none}h2{break-after:avoid}}
)css";

void Cifra(std::string& h, std::size_t numero, const std::string& que, const std::string& detalle,
           const std::string& clase = "") {
  h += "<div class=\"cifra" + (clase.empty() ? "" : " " + clase) + "\"><b>" + std::to_string(numero) + "</b><span>" +
       Esc(que) + "</span>";
  if (!detalle.empty()) h += "<small>" + Esc(detalle) + "</small>";
  h += "</div>\n";
}

std::string Num(std::size_t n) { return " <span class=\"num" + std::string(n == 0 ? " cero" : "") + "\">" + std::to_string(n) + "</span>"; }

// A code with its name as a tooltip.
std::string Codigo(const std::string& codigo, const std::string& nombre) {
  if (nombre.empty()) return "<span class=\"codigo\">" + Esc(codigo) + "</span>";
  return "<span class=\"codigo\" title=\"" + Esc(nombre) + "\">" + Esc(codigo) + "</span>";
}

// "Pérez Gómez, Ana (PGA)", or the code alone.
std::string ConNombre(const std::string& codigo, const std::string& nombre) {
  if (codigo.empty()) return "<span class=\"apagado\">\xE2\x80\x94</span>";
  if (nombre.empty()) return Codigo(codigo, "");
  return Esc(nombre) + " <span class=\"codigo\">(" + Esc(codigo) + ")</span>";
}

void Cabecera(std::string& h, const Informe& inf) {
  const bool exportar = inf.sentido == Sentido::ItacaAZarvelon;
  h += "<header class=\"cabecera\">\n<p class=\"marca\">TransZarvelonItaca \xC2\xB7 Informe de la ejecuci\xC3\xB3n</p>\n";
  h += exportar ? "<h1>De ITACA a Zarvelon</h1>\n" : "<h1>De Zarvelon a ITACA</h1>\n";
  h += "<dl class=\"datos\">\n";
  auto dato = [&](const char* dt, const std::string& dd) {
    h += std::string("<dt>") + dt + "</dt><dd>" + (dd.empty() ? "<span class=\"apagado\">(ninguno)</span>" : Esc(dd)) +
         "</dd>\n";
  };
  dato("Archivo de ITACA", inf.archivo);
  if (!exportar) dato("Archivo escrito", inf.resultado);
  dato("Tablas de trabajo", inf.directorio);
  dato("Plantilla horaria", inf.plantilla);
  if (exportar) dato("Horarios tomados", inf.alcance);
  if (!exportar) dato("Curso escolar", inf.curso);
  dato("Fecha del informe", inf.fecha);
  h += "</dl>\n</header>\n";
}

void Resumen(std::string& h, const Informe& inf) {
  const bool exportar = inf.sentido == Sentido::ItacaAZarvelon;
  h += "<section id=\"resumen\">\n<h2>Resumen</h2>\n";
  h += exportar ? "<p class=\"nota\">Filas escritas en cada tabla de trabajo.</p>\n"
                : "<p class=\"nota\">Lo escrito para ITACA y las tablas usadas.</p>\n";
  h += "<div class=\"cifras\">\n";
  for (const auto& r : inf.recuentos) Cifra(h, r.filas, r.que, r.detalle);
  Cifra(h, inf.totalAvisos, "Avisos", inf.totalAvisos ? "lo que ha quedado fuera o incompleto" : "nada ha quedado fuera",
        inf.totalAvisos ? "alerta" : "bien");
  if (!exportar)
    Cifra(h, inf.choques.size(), "Posibles choques", "profesor, grupo o aula dos veces a la vez",
          inf.choques.empty() ? "bien" : "alerta");
  h += "</div>\n<nav class=\"indice\"><a href=\"#avisos\">Avisos</a>\n";
  if (exportar) {
    h += "<a href=\"#asignaciones\">Asignaciones por grupo</a>\n<a href=\"#tareas\">Tareas del profesorado</a>";
  } else {
    h += "<a href=\"#choques\">Posibles choques</a>\n<a href=\"#grupos\">Horarios de los grupos</a>\n"
         "<a href=\"#profesores\">Horarios del profesorado</a>";
  }
  h += "</nav>\n</section>\n";
}

// Kinds with more notices than this start folded, their count in sight.
constexpr std::size_t kAbiertosHasta = 30;

void SeccionAvisos(std::string& h, const Informe& inf) {
  h += "<section id=\"avisos\">\n<h2>Avisos" + Num(inf.totalAvisos) + "</h2>\n";
  if (inf.avisos.empty()) {
    h += "<p class=\"vacio\">La ejecuci\xC3\xB3n no ha dejado nada fuera.</p>\n</section>\n";
    return;
  }
  h += "<p class=\"nota\">Todo lo que no se ha pasado o se ha pasado incompleto, con sus c\xC3\xB3" "digos y el motivo; "
       "lo que m\xC3\xA1s se notar\xC3\xA1 en el horario va primero.</p>\n";
  for (const auto& t : inf.avisos) {
    // Columns: every label of the kind, in the order they first come.
    std::vector<std::string> columnas;
    std::unordered_set<std::string> vistas;
    bool mismoMotivo = true;
    for (const auto& a : t.avisos) {
      for (const auto& d : a.datos)
        if (vistas.insert(d.first).second) columnas.push_back(d.first);
      mismoMotivo = mismoMotivo && a.motivo() == t.avisos.front().motivo();
    }
    h += std::string("<details class=\"tipo\"") + (t.avisos.size() <= kAbiertosHasta ? " open=\"open\"" : "") + "><summary>" +
         Esc(t.titulo) + Num(t.avisos.size()) + "</summary>\n<div class=\"cuerpo\">\n";
    if (mismoMotivo) h += "<p class=\"motivo\"><b>Motivo:</b> " + Esc(t.avisos.front().motivo()) + "</p>\n";
    h += "<table class=\"lista\"><thead><tr>";
    for (const auto& c : columnas) h += "<th>" + Esc(c) + "</th>";
    if (!mismoMotivo) h += "<th>Motivo</th>";
    h += "</tr></thead>\n<tbody>\n";
    for (const auto& a : t.avisos) {
      h += "<tr>";
      for (const auto& c : columnas) {
        const std::string* v = nullptr;
        for (const auto& d : a.datos)
          if (d.first == c) v = &d.second;
        // A label the notice lacks stays empty; a value it gives blank says so.
        h += !v ? "<td></td>" : v->empty() ? "<td><span class=\"apagado\">(en blanco)</span></td>" : "<td>" + Esc(*v) + "</td>";
      }
      if (!mismoMotivo) h += "<td>" + Esc(a.motivo()) + "</td>";
      h += "</tr>\n";
    }
    h += "</tbody></table>\n</div>\n</details>\n";
  }
  h += "</section>\n";
}

void Asignaciones(std::string& h, const std::vector<AsignacionesDe>& lista, bool deGrupo) {
  std::size_t i = 0;
  if (lista.size() > 1) {
    h += "<p class=\"saltos\">";
    for (const auto& g : lista)
      h += "<a href=\"#" + std::string(deGrupo ? "asig-" : "tarea-") + std::to_string(++i) + "\">" +
           (g.codigo.empty() ? std::string("\xE2\x80\x94") : Esc(g.codigo)) + "</a>\n";
    h += "</p>\n";
  }
  i = 0;
  for (const auto& g : lista) {
    h += "<section class=\"bloque\" id=\"" + std::string(deGrupo ? "asig-" : "tarea-") + std::to_string(++i) + "\">";
    h += g.codigo.empty() ? std::string("<h3><span class=\"apagado\">Sin profesor</span>")
                          : "<h3><span class=\"codigo\">" + Esc(g.codigo) + "</span>";
    if (!g.nombre.empty()) h += "<span class=\"nombre\">" + Esc(g.nombre) + "</span>";
    h += "<span class=\"extra\">" + Esc(g.horas.empty() ? "0" : g.horas) + " h semanales</span></h3>\n";
    if (g.filas.empty()) {
      h += "<p class=\"vacio\">Sin asignaciones.</p>\n</section>\n";
      continue;
    }
    h += "<table class=\"lista\"><thead><tr><th>C\xC3\xB3" "digo</th>";
    h += deGrupo ? "<th>Asignatura</th><th class=\"n\">Horas</th><th>Profesor</th><th>Aula</th>"
                   : "<th>Tarea</th><th class=\"n\">Horas</th>";
    h += "<th>Sesiones</th></tr></thead>\n<tbody>\n";
    for (const auto& a : g.filas) {
      h += "<tr><td>" + Codigo(a.asignatura, "") + "</td><td>" +
           (a.nombreAsignatura.empty() ? "<span class=\"apagado\">(no est\xC3\xA1 en ASIGNOMT)</span>"
                                       : Esc(a.nombreAsignatura)) +
           "</td><td class=\"n\">" + Esc(a.horas) + "</td>";
      if (deGrupo) h += "<td>" + ConNombre(a.profesor, a.nombreProfesor) + "</td><td>" + ConNombre(a.aula, a.nombreAula) + "</td>";
      h += "<td>" + (a.sesiones.empty() ? "<span class=\"apagado\">(vac\xC3\xAD" "o)</span>" : Codigo(a.sesiones, "")) +
           "</td></tr>\n";
    }
    h += "</tbody></table>\n</section>\n";
  }
}

// The two lines of a class in a cell: its subject, then its other codes.
std::string Clase(const ClaseInforme& c, bool deGrupo) {
  std::string h = std::string("<span class=\"clase") + (c.ocupacion ? " ocupacion" : "") + "\">";
  const std::string& nombre = c.nombreAsignatura.empty() ? c.asignatura : c.nombreAsignatura;
  h += "<span class=\"asig\" title=\"" + Esc(nombre) + "\">" + Esc(nombre) + "</span> <span class=\"det\">";
  std::string det = Codigo(c.asignatura, "");
  if (deGrupo) det += " \xC2\xB7 " + (c.profesor.empty() ? "<span class=\"apagado\">sin profesor</span>" : Codigo(c.profesor, c.nombreProfesor));
  else if (!c.ocupacion) det += " \xC2\xB7 " + Codigo(c.grupo, c.nombreGrupo);
  if (!c.aula.empty()) det += " \xC2\xB7 " + Codigo(c.aula, c.nombreAula);
  return h + det + "</span></span>\n";
}

std::string HoraPeriodo(const PeriodoInforme& p) { return p.desde + "\xE2\x80\x93" + p.hasta; }

void Cuadricula(std::string& h, const Informe& inf, const HorarioSemanal& s, const std::string& id, bool deGrupo) {
  h += "<section class=\"horario\" id=\"" + id + "\">\n<h3><span class=\"codigo\">" + Esc(s.codigo) + "</span>";
  if (!s.nombre.empty()) h += "<span class=\"nombre\">" + Esc(s.nombre) + "</span>";
  h += "<span class=\"extra\">" + std::to_string(s.clases) + (s.clases == 1 ? " sesi\xC3\xB3n" : " sesiones") +
       "</span></h3>\n";
  h += "<table class=\"horario\"><colgroup><col class=\"periodo\"/>";
  for (std::size_t d = 0; d < inf.dias.size(); ++d) h += "<col/>";
  h += "</colgroup>\n<thead><tr><th>Periodo</th>";
  for (long long d : inf.dias) h += std::string("<th>") + NombreDia(d) + "</th>";
  h += "</tr></thead>\n<tbody>\n";
  for (std::size_t p = 0; p < inf.periodos.size(); ++p) {
    const PeriodoInforme& per = inf.periodos[p];
    if (p > 0 && inf.periodos[p - 1].hasta < per.desde)
      h += "<tr class=\"pausa\"><th>" + Esc(inf.periodos[p - 1].hasta + "\xE2\x80\x93" + per.desde) + "</th><td colspan=\"" +
           std::to_string(inf.dias.size()) + "\">Descanso</td></tr>\n";
    h += "<tr><th><b>" + Esc(per.numero) + "</b> " + Esc(HoraPeriodo(per)) + "</th>";
    for (long long d : inf.dias) {
      const auto& celda = inf.celda(s, d, p);
      if (celda.empty()) {
        h += "<td></td>";
        continue;
      }
      bool ocupacion = true;
      for (std::size_t i : celda) ocupacion = ocupacion && inf.clases[i].ocupacion;
      std::string clase = celda.size() > 1 ? "varias" : ocupacion ? "ocupacion" : "";
      h += clase.empty() ? "<td>" : "<td class=\"" + clase + "\">";
      if (celda.size() > 1) h += "<span class=\"marca-varias\">" + std::to_string(celda.size()) + " a la vez</span>\n";
      for (std::size_t i : celda) h += Clase(inf.clases[i], deGrupo);
      h += "</td>";
    }
    h += "</tr>\n";
  }
  h += "</tbody></table>\n";
  if (deGrupo) {
    // Who teaches the group, with the names the cells only hint at.
    std::vector<const ClaseInforme*> profesores;
    std::unordered_set<std::string> vistos;
    for (const auto& celda : s.celdas)
      for (std::size_t i : celda)
        if (!inf.clases[i].profesor.empty() && vistos.insert(inf.clases[i].profesor).second)
          profesores.push_back(&inf.clases[i]);
    if (!profesores.empty()) {
      h += "<p class=\"leyenda\"><b>Profesorado:</b> ";
      for (std::size_t k = 0; k < profesores.size(); ++k)
        h += (k ? " \xC2\xB7 " : "") + Codigo(profesores[k]->profesor, "") +
             (profesores[k]->nombreProfesor.empty() ? "" : " " + Esc(profesores[k]->nombreProfesor));
      h += "</p>\n";
    }
  }
  h += "</section>\n";
}

void SeccionChoques(std::string& h, const Informe& inf) {
  h += "<section id=\"choques\">\n<h2>Posibles choques" + Num(inf.choques.size()) + "</h2>\n";
  if (inf.choques.empty()) {
    h += "<p class=\"vacio\">Ning\xC3\xBAn profesor, grupo ni aula tiene dos sesiones en el mismo d\xC3\xAD" "a y periodo.</p>\n";
  } else {
    h += "<p class=\"nota\">Un profesor, un grupo o un aula con dos o m\xC3\xA1s sesiones en el mismo d\xC3\xAD" "a y periodo. "
         "Solo es un aviso: el archivo se ha escrito igual. En un grupo puede ser un desdoble o unas optativas a la "
         "vez.</p>\n";
    h += "<table class=\"lista choques\"><thead><tr><th>Qui\xC3\xA9n</th><th>D\xC3\xAD" "a</th><th>Periodo</th><th>Sesiones</th>"
         "</tr></thead>\n<tbody>\n";
    for (const auto& c : inf.choques) {
      const PeriodoInforme& p = inf.periodos[c.periodo];
      h += "<tr><td><span class=\"de\">" + Esc(c.de) + "</span> " + ConNombre(c.codigo, c.nombre) + "</td><td>" + NombreDia(c.dia) + "</td><td>" +
           Esc(p.numero) + " (" + Esc(HoraPeriodo(p)) + ")</td><td>";
      for (std::size_t k = 0; k < c.clases.size(); ++k) {
        const ClaseInforme& x = inf.clases[c.clases[k]];
        h += (k ? "<br/>" : "") + Esc(x.nombreAsignatura.empty() ? x.asignatura : x.nombreAsignatura) + " " +
             Codigo(x.asignatura, "");
        if (!x.grupo.empty()) h += " \xC2\xB7 grupo " + Codigo(x.grupo, x.nombreGrupo);
        if (!x.profesor.empty()) h += " \xC2\xB7 profesor " + Codigo(x.profesor, x.nombreProfesor);
        if (!x.aula.empty()) h += " \xC2\xB7 aula " + Codigo(x.aula, x.nombreAula);
        h += " <span class=\"apagado\">(fila " + std::to_string(x.fila) + " de SOLUC)</span>";
      }
      h += "</td></tr>\n";
    }
    h += "</tbody></table>\n";
  }
  if (!inf.fueraDeCuadricula.empty()) {
    h += "<h3>Sesiones escritas sin d\xC3\xAD" "a de la semana" + Num(inf.fueraDeCuadricula.size()) + "</h3>\n"
         "<p class=\"nota\">Su d\xC3\xAD" "a en SOLUC no es de 1 a 7: van al archivo sin d\xC3\xAD" "a y no salen en los horarios.</p>\n"
         "<table class=\"lista\"><thead><tr><th>Fila de SOLUC</th><th>D\xC3\xAD" "a</th><th>Asignatura</th><th>Grupo</th>"
         "<th>Profesor</th><th>Aula</th></tr></thead>\n<tbody>\n";
    for (std::size_t i : inf.fueraDeCuadricula) {
      const ClaseInforme& x = inf.clases[i];
      h += "<tr><td class=\"n\">" + std::to_string(x.fila) + "</td><td class=\"n\">" + std::to_string(x.dia) + "</td><td>" +
           ConNombre(x.asignatura, x.nombreAsignatura) + "</td><td>" + ConNombre(x.grupo, x.nombreGrupo) + "</td><td>" +
           ConNombre(x.profesor, x.nombreProfesor) + "</td><td>" + ConNombre(x.aula, x.nombreAula) + "</td></tr>\n";
    }
    h += "</tbody></table>\n";
  }
  h += "</section>\n";
}

void SeccionHorarios(std::string& h, const Informe& inf, const std::vector<HorarioSemanal>& lista, bool deGrupo) {
  const std::string prefijo = deGrupo ? "grupo-" : "profesor-";
  h += deGrupo ? "<section id=\"grupos\">\n<h2>Horarios de los grupos</h2>\n"
               : "<section id=\"profesores\">\n<h2>Horarios del profesorado</h2>\n";
  if (lista.empty()) h += "<p class=\"vacio\">Ninguna sesi\xC3\xB3n escrita.</p>\n";
  if (lista.size() > 1) {
    h += "<p class=\"saltos\">";
    for (std::size_t i = 0; i < lista.size(); ++i)
      h += "<a href=\"#" + prefijo + std::to_string(i + 1) + "\">" + Esc(lista[i].codigo) + "</a>\n";
    h += "</p>\n";
  }
  if (deGrupo && !inf.gruposSinClases.empty()) {
    h += "<p class=\"nota\">Grupos de GRUPOST sin ninguna sesi\xC3\xB3n escrita: ";
    for (std::size_t i = 0; i < inf.gruposSinClases.size(); ++i)
      h += (i ? ", " : "") + Codigo(inf.gruposSinClases[i], "");
    h += ".</p>\n";
  }
  for (std::size_t i = 0; i < lista.size(); ++i) Cuadricula(h, inf, lista[i], prefijo + std::to_string(i + 1), deGrupo);
  h += "</section>\n";
}

}  // namespace

std::string InformeHtml(const Informe& inf) {
  const bool exportar = inf.sentido == Sentido::ItacaAZarvelon;
  std::string h;
  h.reserve(64 * 1024 + inf.clases.size() * 400);
  h += "<!DOCTYPE html>\n<html lang=\"es\">\n<head>\n<meta charset=\"utf-8\"/>\n";
  h += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n";
  h += std::string("<title>Informe: ") + (exportar ? "de ITACA a Zarvelon" : "de Zarvelon a ITACA") + "</title>\n";
  h += "<style>";
  h += kEstilo;
  h += "</style>\n</head>\n<body>\n<div class=\"pagina\">\n";
  Cabecera(h, inf);
  Resumen(h, inf);
  SeccionAvisos(h, inf);
  if (exportar) {
    h += "<section id=\"asignaciones\">\n<h2>Asignaciones por grupo</h2>\n"
         "<p class=\"nota\">Lo que ASIGT da a cada grupo: asignatura, horas semanales, profesor, aula y patr\xC3\xB3n "
         "de sesiones.</p>\n";
    if (inf.asignacionesPorGrupo.empty()) h += "<p class=\"vacio\">Ning\xC3\xBAn grupo.</p>\n";
    Asignaciones(h, inf.asignacionesPorGrupo, true);
    h += "</section>\n<section id=\"tareas\">\n<h2>Tareas del profesorado</h2>\n";
    if (inf.tareasPorProfesor.empty()) h += "<p class=\"vacio\">Ninguna tarea.</p>\n";
    Asignaciones(h, inf.tareasPorProfesor, false);
    h += "</section>\n";
  } else {
    SeccionChoques(h, inf);
    SeccionHorarios(h, inf, inf.horariosGrupo, true);
    SeccionHorarios(h, inf, inf.horariosProfesor, false);
  }
  h += "</div>\n</body>\n</html>\n";
  return h;
}

void GuardarInforme(const Informe& informe, const std::filesystem::path& archivo) {
  io::writeAtomically(archivo, InformeHtml(informe));
}

}  // namespace zi
