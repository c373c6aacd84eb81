#!/usr/bin/python3
"""Writes a solution table SOLUC.DBF as the host would leave it, for demos and
benchmarks of `zarvelon-itaca importar`.

    hacer_soluc.py CENTRO.xml DIR [PLANTILLA]

Instead of computing a timetable it puts back, in the host's codes, the
timetable that the ITACA file already holds for one template (by default the
first one in the file), so that importar should give those same lessons back.
DIR is the working directory after `zarvelon-itaca exportar CENTRO.xml --dir
DIR`; its tables give the codes:

    class row (one per horario_grupo of the template)
        ASIG     ASIGNOMT.COD of the row whose ABREV_ITACA is the content
        TAREA    "*479"
        CODGRUPO GRUPOST.ABREV of the row whose CLAVE is the group
        PROF     PROFT.ABREV of the row whose DNI is the teacher
        AULA     AULAT.ABREV of the row whose ABREV_ITACA is the room
    task row (one per horario_ocupacion of the template)
        ASIG = TAREA = COD of the task row of ASIGNOMT for the occupation
        PROF as above; CODGRUPO and AULA blank
    both
        DIA      1 to 7 for the day letters L M X J V S D
        HORA     position, counted from 1, of the period among the template's
                 periods of day L in the order of their numbers
        MARCO    "0"
        SOLUCION 1 (a field of the host's that the tool does not read)

Each lookup takes the first matching row, comparing the file's value cut to
the field's width. A lesson whose group or content has no row, or a period
whose occupation or teacher has none (a group or teacher that exportar
removed, say), gives no row; the counts of those are printed. The table is a
dBase III file in Windows-1252, written with the dbf module.
"""
import os
import sys
import xml.etree.ElementTree as ET

import dbf

sys.dont_write_bytecode = True  # no __pycache__ left in tools/
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import leer_dbf  # noqa: E402

DIA = {"L": 1, "M": 2, "X": 3, "J": 4, "V": 5, "S": 6, "D": 7}
CAMPOS = ("ASIG C(10); TAREA C(10); DIA N(2,0); HORA N(3,0); MARCO C(1); CODGRUPO C(10); "
          "PROF C(10); AULA C(10); SOLUCION N(3,0)")


def indice(tabla, clave, valor, ancho, donde=None):
    """clave value (cut to `ancho`) -> valor, first row wins."""
    out = {}
    for f in tabla:
        if donde and not donde(f):
            continue
        k = (f[clave] or "").strip()[:ancho]
        out.setdefault(k, (f[valor] or "").strip())
    return out


def numero(orden):
    try:
        return (0, int(orden))
    except ValueError:
        return (1, orden)


def main(argv):
    if len(argv) not in (2, 3):
        sys.exit(__doc__.split("\n\n")[1])
    archivo, directorio = argv[0], argv[1]
    raiz = ET.parse(archivo).getroot()

    def attrs(ruta):
        return [{k: v.strip() for k, v in e.attrib.items()} for e in raiz.iterfind(ruta)]

    plantillas = [p["codigo"] for p in attrs("plantillas_horario/plantilla_horario")]
    plantilla = argv[2] if len(argv) == 3 else (plantillas[0] if plantillas else "")
    if plantilla not in plantillas:
        sys.exit("hacer_soluc: template %r is not in %s (it has: %s)" % (
            plantilla, archivo, ", ".join(plantillas) or "none"))

    ordenes = sorted({s["sesion_orden"] for s in attrs("sesiones_horario/sesion_horario")
                      if s["plantilla"] == plantilla and s["dia_semana"] == "L"}, key=numero)
    hora = {o: i + 1 for i, o in enumerate(ordenes)}

    def tabla(nombre):
        ruta = os.path.join(directorio, nombre + ".DBF")
        if not os.path.exists(ruta):
            sys.exit("hacer_soluc: %s does not exist (run zarvelon-itaca exportar %s --dir %s first)"
                     % (ruta, archivo, directorio))
        return leer_dbf.filas(ruta)

    grupos = indice(tabla("GRUPOST"), "CLAVE", "ABREV", 10)
    asignomt = tabla("ASIGNOMT")
    materias = indice(asignomt, "ABREV_ITACA", "COD", 20)
    tareas = indice(asignomt, "ABREV_ITACA", "COD", 20, donde=lambda f: f["ESTAREA"])
    profes = indice(tabla("PROFT"), "DNI", "ABREV", 14)
    aulas = indice(tabla("AULAT"), "ABREV_ITACA", "ABREV", 20)

    filas, omitidas = [], {}

    def omitir(motivo):
        omitidas[motivo] = omitidas.get(motivo, 0) + 1

    clases = 0
    for h in attrs("horarios_grupo/horario_grupo"):
        if h["plantilla"] != plantilla:
            continue
        grupo = grupos.get(h["grupo"][:10])
        asig = materias.get(h["contenido"][:20])
        if grupo is None:
            omitir("lessons of a group not in GRUPOST")
        elif asig is None:
            omitir("lessons of a content not in ASIGNOMT")
        elif h["sesion_orden"] not in hora or h["dia_semana"] not in DIA:
            omitir("lessons in a period the template lacks")
        else:
            filas.append((asig, "*479", DIA[h["dia_semana"]], hora[h["sesion_orden"]], "0", grupo,
                          profes.get(h["docente"][:14], ""), aulas.get(h["aula"][:20], ""), 1))
            clases += 1
    for o in attrs("horarios_ocupaciones/horario_ocupacion"):
        if o["plantilla"] != plantilla:
            continue
        tarea = tareas.get(o["ocupacion"][:20])
        profe = profes.get(o["docente"][:14])
        if tarea is None:
            omitir("occupation periods of an occupation without a task row")
        elif profe is None:
            omitir("occupation periods of a teacher not in PROFT")
        elif o["sesion_orden"] not in hora or o["dia_semana"] not in DIA:
            omitir("occupation periods in a period the template lacks")
        else:
            filas.append((tarea, tarea, DIA[o["dia_semana"]], hora[o["sesion_orden"]], "0", "",
                          profe, "", 1))

    ruta = os.path.join(directorio, "SOLUC.DBF")
    for viejo in (ruta, os.path.join(directorio, "SOLUC.MDX")):
        if os.path.exists(viejo):
            os.remove(viejo)
    t = dbf.Table(ruta, CAMPOS, dbf_type="db3", codepage="cp1252")
    t.open(dbf.READ_WRITE)
    try:
        for fila in filas:
            t.append(fila)
    finally:
        t.close()

    print("%s: %d rows for template %s (%d lessons, %d occupation periods)" % (
        ruta, len(filas), plantilla, clases, len(filas) - clases))
    for motivo, n in sorted(omitidas.items()):
        print("  left out: %d %s" % (n, motivo))


if __name__ == "__main__":
    main(sys.argv[1:])
