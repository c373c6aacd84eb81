#!/usr/bin/python3
"""Writes an invented secondary school as an ITACA XML file.

    generar_centro.py SALIDA.xml [--escala sample|grande] [--semilla N]
                      [--docentes N] [--grupos N] [--contenidos N]
                      [--lecciones N] [--ocupaciones-periodos N]
                      [--one-line | --pretty]

--escala sample (the default) writes the small school kept in
samples/centro_ejemplo.xml: six courses of ESO and Batxillerat with two groups
each, two timetable templates (mornings, with a break between periods 3 and 5,
and afternoons), a weekly timetable for every group and the teachers'
occupations in their free periods.

--escala grande, or any of the count options, writes a made-up school of the
given size (by default 400 teachers, 150 groups, 2,500 contents, 40,000 lessons
and 5,000 occupation periods) for measuring the tool. When a group needs more
lessons than a morning holds, the templates get as many shorter periods as it
takes (at most 98 a day).

Every timetable is consistent: no group, teacher or room has two things at
once (periods of the two templates that overlap in time count as the same
time), every lesson names a content of its group's course, and every key that
the file uses is defined in it. The same options and seed give the same file.

Like ITACA's own exports, empty values are written as a single blank and the
XML declaration names no encoding (the bytes are UTF-8). --one-line writes the
whole document on one line, as ITACA does (the default for grande); --pretty
writes one element per line (the default for sample).
"""
import argparse
import math
import random
import sys
import time
import unicodedata

DIAS = ["L", "M", "X", "J", "V"]
BLANCO = " "


# --------------------------------------------------------------------------
# The school's pieces


class Plantilla:
    def __init__(self, codigo, val, cas, turno, periodos):
        self.codigo, self.val, self.cas, self.turno = codigo, val, cas, turno
        self.periodos = periodos  # [(sesion_orden, desde, hasta)], the same every day


class Curso:
    def __init__(self, codigo, abreviatura, val, cas, ensenanza, padre=BLANCO):
        self.codigo, self.abreviatura, self.val, self.cas = codigo, abreviatura, val, cas
        self.ensenanza, self.padre = ensenanza, padre
        self.contenidos = []


class Contenido:
    def __init__(self, codigo, curso, val, cas, depto, sala):
        self.codigo, self.curso, self.val, self.cas = codigo, curso, val, cas
        self.depto, self.sala = depto, sala  # department; kind of dedicated room or None


class Grupo:
    def __init__(self, codigo, nombre, curso, turno, plantilla, aula):
        self.codigo, self.nombre, self.curso, self.turno = codigo, nombre, curso, turno
        self.plantilla, self.aula = plantilla, aula  # template index; home room code
        self.plan = []  # [(contenido, lessons, shared by two teachers)]
        self.tutor_ppal = self.tutor_sec = BLANCO


class Docente:
    def __init__(self, apellido1, apellido2, nombre, documento, depto):
        self.apellido1, self.apellido2, self.nombre = apellido1, apellido2, nombre
        self.documento, self.depto = documento, depto
        self.tipo, self.fecha, self.email1, self.email2 = "D", BLANCO, BLANCO, BLANCO
        self.ensenanza = "3"
        self.carga = 0  # lessons given to the teacher so far
        self.jefe = False  # head of the department


# --------------------------------------------------------------------------
# Names

# Subjects: key -> (Valencian, Castilian, department, kind of dedicated room).
ASIGNATURAS = {
    "MAT": ("Matemàtiques", "Matemáticas", "MAT", None),
    "MAT1": ("Matemàtiques I", "Matemáticas I", "MAT", None),
    "MAT2": ("Matemàtiques II", "Matemáticas II", "MAT", None),
    "CAS": ("Llengua Castellana i Literatura", "Lengua Castellana y Literatura", "CAS", None),
    "VAL": ("Valencià: Llengua i Literatura", "Valenciano: Lengua y Literatura", "VAL", None),
    "ANG": ("Anglés", "Inglés", "ANG", None),
    "GH": ("Geografia i Història", "Geografía e Historia", "GH", None),
    "HE": ("Història d'Espanya", "Historia de España", "GH", None),
    "BG": ("Biologia i Geologia", "Biología y Geología", "BG", "LAB"),
    "BIO": ("Biologia", "Biología", "BG", "LAB"),
    "FQ": ("Física i Química", "Física y Química", "FQ", "LAB"),
    "EF": ("Educació Física", "Educación Física", "EF", "GIM"),
    "TEC": ("Tecnologia", "Tecnología", "TEC", "TALLER"),
    "INF": ("Informàtica", "Informática", "TEC", "INF"),
    "MUS": ("Música", "Música", "MUS", "MUS"),
    "EPV": ("Educació Plàstica, Visual i Audiovisual", "Educación Plástica, Visual y Audiovisual",
            "DIB", "DIB"),
    "REL": ("Religió", "Religión", "REL", None),
    "TUT": ("Tutoria", "Tutoría", "ORI", None),
    "FIL": ("Filosofia", "Filosofía", "FIL", None),
    "HFIL": ("Història de la Filosofia", "Historia de la Filosofía", "FIL", None),
    "ECO": ("Economia", "Economía", "GH", None),
    "LAT": ("Llatí", "Latín", "CLA", None),
    "DT": ("Dibuix Tècnic", "Dibujo Técnico", "DIB", "DIB"),
}

# Professional modules of the made-up vocational courses of a large school.
MODULOS = [
    ("Muntatge i Manteniment d'Equips", "Montaje y Mantenimiento de Equipos", "FPI", "INF"),
    ("Xarxes Locals", "Redes Locales", "FPI", "INF"),
    ("Sistemes Operatius", "Sistemas Operativos", "FPI", "INF"),
    ("Programació", "Programación", "FPI", "INF"),
    ("Bases de Dades", "Bases de Datos", "FPI", "INF"),
    ("Empresa i Iniciativa Emprenedora", "Empresa e Iniciativa Emprendedora", "FOL", None),
    ("Formació i Orientació Laboral", "Formación y Orientación Laboral", "FOL", None),
    ("Comptabilitat", "Contabilidad", "ADM", None),
    ("Gestió de Recursos Humans", "Gestión de Recursos Humanos", "ADM", None),
    ("Tècnica Comptable", "Técnica Contable", "ADM", None),
    ("Comunicació Empresarial", "Comunicación Empresarial", "ADM", None),
    ("Anglés Tècnic", "Inglés Técnico", "ANG", None),
]

# Occupations: (code, Valencian, Castilian, weight when drawn at random).
# 200001 ends like 100001, so the tool gives it the task code *00A.
OCUPACIONES = [
    ("100001", "Guàrdia", "Guardia", 10),
    ("100002", "Reunió de departament", "Reunión de departamento", 2),
    ("100003", "Cap de departament", "Jefatura de departamento", 1),
    ("100004", "Biblioteca", "Biblioteca", 2),
    ("100005", "Coordinació TIC", "Coordinación TIC", 1),
    ("100006", "Atenció a famílies", "Atención a familias", 2),
    ("100007", "Reunió de tutors", "Reunión de tutores", 1),
    ("200001", "Orientació educativa", "Orientación educativa", 1),
]

COGNOMS = [
    "Garcia", "Martínez", "López", "Sánchez", "Pérez", "Gómez", "Ferrer", "Navarro",
    "Ribes", "Soler", "Pons", "Vidal", "Climent", "Bonet", "Mira", "Llorca", "Castelló",
    "Peris", "Sanchis", "Moltó", "Doménech", "Tormo", "Company", "Boix", "Albert",
    "Cervera", "Esteve", "Fuster", "Gil", "Iborra", "Juan", "Marí", "Nadal", "Oliver",
    "Payà", "Roig", "Sendra", "Torres", "Úbeda", "Vicent", "Alcaraz", "Beltrán",
    "Cano", "Ruiz", "Muñoz", "Jiménez", "Ortega", "Serrano", "Blasco", "Monzó",
    "Ivars", "Chiva", "Gandia", "Llopis", "Miralles", "Puig", "Rovira", "Sapena",
]
NOMS = [
    "Ana", "Alberto", "Amparo", "Andreu", "Bernat", "Carme", "Carles", "Clara", "David",
    "Elena", "Enric", "Empar", "Francesc", "Gemma", "Hèctor", "Inmaculada", "Isabel",
    "Jaume", "Joan", "Josep", "Júlia", "Laura", "Lluís", "Marta", "Maria José", "Miquel",
    "Mireia", "Neus", "Núria", "Pau", "Pilar", "Rafael", "Raquel", "Rosa", "Salvador",
    "Sílvia", "Teresa", "Toni", "Vicent", "Xavier", "Rocío", "Ángel", "Begoña", "Jesús",
]

LETRAS_DNI = "TRWAGMYFPDXBNJZSQVHLCKE"
ORDINAL = {"1": "1r", "2": "2n", "3": "3r", "4": "4t"}


def ascii_minusculas(texto):
    sin = unicodedata.normalize("NFKD", texto).encode("ascii", "ignore").decode()
    return "".join(c for c in sin.lower() if c.isalnum())


def hhmm(minutos):
    return "%02d:%02d" % divmod(minutos, 60)


# --------------------------------------------------------------------------
# The two ways of laying out the school


def periodos_seguidos(numeros, inicio, duracion, pausas=()):
    """Periods numbered as given, one after the other from `inicio` (minutes),
    with a break of the given length before the periods named in `pausas`."""
    out, t = [], inicio
    pausa = dict(pausas)
    for n in numeros:
        t += pausa.get(n, 0)
        out.append((str(n), hhmm(t), hhmm(t + duracion)))
        t += duracion
    return out


def plantillas_normales():
    return [
        Plantilla("MATINS", "Horari de matí", "Horario de mañana", "M",
                  periodos_seguidos([1, 2, 3, 5, 6, 7, 8], 8 * 60, 55, [(5, 30)])),
        Plantilla("VESPRADA", "Horari de vesprada", "Horario de tarde", "V",
                  periodos_seguidos([1, 2, 3, 4, 5, 6], 15 * 60 + 30, 55, [(4, 15)])),
    ]


def plantillas_largas(por_dia):
    """Two templates with `por_dia` periods each, fitted into 07:00 to 23:00."""
    if por_dia <= 7:
        return plantillas_normales()
    if por_dia > 98:
        raise SystemExit("generar_centro: too many lessons per group: a day would need %d periods "
                         "(at most 98)" % por_dia)
    duracion = max(5, min(55, (16 * 60) // por_dia))
    numeros = [1, 2, 3] + list(range(5, por_dia + 2))
    return [
        Plantilla("MATINS", "Horari general", "Horario general", "M",
                  periodos_seguidos(numeros, 7 * 60, duracion)),
        Plantilla("VESPRADA", "Horari de vesprada", "Horario de tarde", "V",
                  periodos_seguidos(range(1, por_dia + 1), 7 * 60, duracion)),
    ]


ENSENANZAS = [
    ("3", "ESO", "Educació Secundària Obligatòria", "Educación Secundaria Obligatoria"),
    ("5", "BACH", "Batxillerat", "Bachillerato"),
    ("23", "FPB", "Formació Professional Bàsica", "Formación Profesional Básica"),
]
ENSENANZAS_FP = [
    ("8", "CFGM", "Cicles Formatius de Grau Mitjà", "Ciclos Formativos de Grado Medio"),
    ("9", "CFGS", "Cicles Formatius de Grau Superior", "Ciclos Formativos de Grado Superior"),
]


def cursos_comunes():
    """The six courses that take groups, plus two that the tool handles apart:
    FPB (no leading digit and no parent: not taken) and DIVER (it has a parent)."""
    cursos = []
    for n in "1234":
        cursos.append(Curso("301" + n, n + "ESO", "%s d'ESO" % ORDINAL[n],
                            "%sº de ESO" % n, "3"))
    for n in "12":
        cursos.append(Curso("302" + n, n + "BACH", "%s de Batxillerat" % ORDINAL[n],
                            "%sº de Bachillerato" % n, "5"))
    apartes = [
        Curso("3031", "FPB", "Formació Professional Bàsica", "Formación Profesional Básica", "23"),
        Curso("3035", "DIVER", "Diversificació curricular (3r)", "Diversificación curricular (3º)",
              "3", padre="3013"),
    ]
    return cursos, apartes


# Weekly lessons of the sample school, per course: (subject, lessons).
# Zero lessons: a content that ITACA lists but no group is timetabled for.
PLAN_EJEMPLO = {
    "1ESO": [("MAT", 4), ("CAS", 4), ("VAL", 3), ("ANG", 3), ("GH", 3), ("BG", 3), ("EF", 2),
             ("MUS", 2), ("REL", 2)],
    "2ESO": [("MAT", 4), ("CAS", 3), ("VAL", 3), ("ANG", 3), ("GH", 3), ("FQ", 3), ("EF", 2),
             ("EPV", 2)],
    "3ESO": [("MAT", 4), ("CAS", 3), ("VAL", 3), ("ANG", 3), ("GH", 3), ("BG", 2), ("FQ", 2),
             ("TEC", 3), ("TUT", 0)],
    "4ESO": [("MAT", 4), ("CAS", 3), ("VAL", 3), ("ANG", 3), ("GH", 3), ("EF", 2), ("INF", 3)],
    "1BACH": [("FIL", 3), ("CAS", 3), ("VAL", 3), ("ANG", 3), ("MAT1", 4), ("FQ", 4)],
    "2BACH": [("HE", 3), ("CAS", 3), ("VAL", 3), ("ANG", 3), ("MAT2", 4), ("BIO", 4), ("HFIL", 3)],
}
# (group, subject) taught by two teachers, half the lessons each.
COMPARTIDAS_EJEMPLO = {("1ESOA", "MAT"), ("3ESOB", "ANG")}
TARDE_EJEMPLO = {"1BACHB", "2BACHB"}

SALAS_EJEMPLO = [  # (code, name, kind of dedicated room)
    ("LAB1", "Laboratori de Ciències Naturals", "LAB"),
    ("LAB2", "Laboratori de Física i Química", "LAB"),
    ("GIM", "Gimnàs", "GIM"),
    ("PIST", "Pista poliesportiva", "GIM"),
    ("TALL", "Taller de Tecnologia", "TALLER"),
    ("INF1", "Aula d'Informàtica", "INF"),
    ("MUS", "Aula de Música", "MUS"),
    ("DIB", "Aula de Dibuix", "DIB"),
    ("BIB", "Biblioteca", None),
]


class Centro:
    """Everything that goes into the file."""

    def __init__(self):
        self.codigo, self.denominacion = "46999001", "IES Castell de Benivall"
        self.plantillas, self.cursos, self.grupos, self.docentes = [], [], [], []
        self.aulas = []  # [(code or blank, name)]
        self.salas = {}  # kind of dedicated room -> [codes]
        self.ensenanzas = list(ENSENANZAS)
        self.ocupaciones = list(OCUPACIONES)
        self.lecciones = []  # [(template, day, period, group, content, teacher, room)]
        self.ocupados = []  # [(template, day, period, teacher, occupation code)]


def contenidos_numerados(centro):
    n = 200101
    for curso in centro.cursos:
        for c in curso.contenidos:
            c.codigo = str(n)
            n += 1


def centro_ejemplo(rnd):
    centro = Centro()
    centro.plantillas = plantillas_normales()
    comunes, apartes = cursos_comunes()
    centro.cursos = comunes + apartes
    for curso in comunes:
        for clave, lecciones in PLAN_EJEMPLO[curso.abreviatura]:
            val, cas, depto, sala = ASIGNATURAS[clave]
            curso.contenidos.append(Contenido("", curso, val, cas, depto, sala))
            curso.contenidos[-1].clave = clave
            curso.contenidos[-1].lecciones = lecciones
    contenidos_numerados(centro)
    aula = 1
    for curso in comunes:
        for letra in "AB":
            codigo = curso.abreviatura + letra
            nombre = "%s %s %s" % (ORDINAL[curso.abreviatura[0]], curso.abreviatura[1:].replace(
                "BACH", "BATX"), letra)
            tarde = codigo in TARDE_EJEMPLO
            g = Grupo(codigo, nombre, curso, "V" if tarde else "M", 1 if tarde else 0,
                      "A%02d" % aula)
            aula += 1
            for c in curso.contenidos:
                if c.lecciones:
                    g.plan.append((c, c.lecciones, (codigo, c.clave) in COMPARTIDAS_EJEMPLO))
            centro.grupos.append(g)
    centro.aulas = [(g.aula, "Aula %s" % g.aula[1:]) for g in centro.grupos]
    for codigo, nombre, tipo in SALAS_EJEMPLO:
        centro.aulas.append((codigo, nombre))
        if tipo:
            centro.salas.setdefault(tipo, []).append(codigo)
    centro.aulas.insert(len(centro.grupos) + 3, (BLANCO, "Saló d'actes"))  # a room without code
    return centro


def centro_grande(rnd, n_grupos, n_contenidos, n_lecciones):
    centro = Centro()
    centro.ensenanzas += ENSENANZAS_FP
    comunes, apartes = cursos_comunes()
    # Enough courses for at most 10 groups each (and no course without a
    # group): ESO and BACH first, then vocational courses in pairs.
    n_cursos = max(min(len(comunes), n_grupos), math.ceil(n_grupos / 10))
    cursos = comunes[:]
    ciclo = 0
    while len(cursos) < n_cursos:
        ciclo += 1
        sigla = "C%02d" % ciclo
        ens = "8" if ciclo % 2 else "9"
        for n in "12":
            cursos.append(Curso("4%03d%s" % (ciclo, n), n + sigla, "%s de cicle %s" % (ORDINAL[n], sigla),
                                "%sº de ciclo %s" % (n, sigla), ens))
    cursos = cursos[:n_cursos]
    centro.cursos = cursos + apartes

    # Groups, spread over the courses; every seventh group works in the afternoon.
    for i in range(n_grupos):
        curso = cursos[i % n_cursos]
        letra = chr(ord("A") + i // n_cursos)
        codigo = curso.abreviatura + letra
        tarde = i % 7 == 6
        centro.grupos.append(Grupo(codigo, "%s %s %s" % (ORDINAL[curso.abreviatura[0]],
                                                          curso.abreviatura[1:], letra),
                                   curso, "V" if tarde else "M", 1 if tarde else 0,
                                   "A%03d" % (i + 1)))

    # Contents, spread over the courses; names from the subject list, numbered
    # when a course holds the same subject more than once.
    bases = [v for k, v in ASIGNATURAS.items() if k not in ("TUT",)]
    for i in range(n_contenidos):
        curso = cursos[i % n_cursos]
        lista = MODULOS if curso.ensenanza in ("8", "9") else bases
        k = len(curso.contenidos)
        val, cas, depto, sala = lista[k % len(lista)]
        vuelta = k // len(lista)
        if vuelta:
            val, cas = "%s %d" % (val, vuelta + 1), "%s %d" % (cas, vuelta + 1)
        curso.contenidos.append(Contenido("", curso, val, cas, depto, sala))
    contenidos_numerados(centro)

    # Lessons: each group gets its share, 2 to 4 lessons per content.
    cuota = [n_lecciones // n_grupos + (1 if i < n_lecciones % n_grupos else 0)
             for i in range(n_grupos)]
    for g, total in zip(centro.grupos, cuota):
        pool = g.curso.contenidos
        trozos = repartir(rnd, total)
        if len(trozos) > len(pool):
            trozos = repartir(rnd, total, grandes=True)
        if len(trozos) > len(pool):
            raise SystemExit("generar_centro: %d lessons a group do not fit in %d contents a course "
                             "(give more --contenidos or fewer --lecciones)" % (total, len(pool)))
        elegidos = rnd.sample(pool, len(trozos))
        for c, n in zip(elegidos, trozos):
            g.plan.append((c, n, n >= 2 and rnd.random() < 0.02))

    centro.plantillas = plantillas_largas(math.ceil(max(cuota) * 1.1 / len(DIAS)))

    centro.aulas = [(g.aula, "Aula %s" % g.aula[1:]) for g in centro.grupos]
    por_tipo = max(1, math.ceil(n_grupos / 12))
    for tipo, nombre in [("LAB", "Laboratori"), ("GIM", "Gimnàs"), ("TALLER", "Taller"),
                         ("INF", "Aula d'Informàtica"), ("MUS", "Aula de Música"),
                         ("DIB", "Aula de Dibuix")]:
        for k in range(por_tipo):
            codigo = "%s%02d" % (tipo[:3], k + 1)
            centro.aulas.append((codigo, "%s %d" % (nombre, k + 1)))
            centro.salas.setdefault(tipo, []).append(codigo)
    centro.aulas.append((BLANCO, "Saló d'actes"))
    return centro


def repartir(rnd, total, grandes=False):
    """Lesson counts of 2 to 4 that add up to `total` (1 only when total is 1);
    with `grandes`, as many 4s as can be."""
    trozos = []
    while total > 0:
        if total <= 4 and total != 1:
            n = total
        elif total == 1:
            n = 1
        else:
            validos = [c for c in (2, 3, 4) if total - c != 1]
            n = max(validos) if grandes else rnd.choice(validos)
        trozos.append(n)
        total -= n
    return trozos


# --------------------------------------------------------------------------
# Teachers


def crear_docentes(rnd, centro, n_docentes, apartados):
    """`n_docentes` teachers spread over the departments by their lessons;
    the last `apartados` teach nothing (one of them only has occupations)."""
    carga = {}
    for g in centro.grupos:
        for c, n, _ in g.plan:
            carga[c.depto] = carga.get(c.depto, 0) + n
    disponibles = max(1, n_docentes - apartados)
    total = sum(carga.values()) or 1
    deptos = sorted(carga, key=lambda d: -carga[d])
    cuantos = {d: max(1, round(carga[d] / total * disponibles)) for d in deptos}
    while sum(cuantos.values()) > disponibles and any(v > 1 for v in cuantos.values()):
        d = max((d for d in deptos if cuantos[d] > 1), key=lambda d: cuantos[d] / carga[d])
        cuantos[d] -= 1
    while sum(cuantos.values()) < disponibles:
        d = max(deptos, key=lambda d: carga[d] / cuantos[d])
        cuantos[d] += 1
    orden = [d for d in deptos for _ in range(cuantos[d])][:disponibles]
    orden += ["ORI"] * (n_docentes - len(orden))

    usados = set()
    for i, depto in enumerate(orden):
        while True:
            numero = rnd.randrange(10_000_000, 99_999_999)
            if numero not in usados:
                usados.add(numero)
                break
        if i % 29 == 7:  # a foreign teacher: an NIE instead of a DNI
            numero %= 10_000_000
            documento = "X%07d%s" % (numero, LETRAS_DNI[numero % 23])
        else:
            documento = "%08d%s" % (numero, LETRAS_DNI[numero % 23])
        cognom1 = rnd.choice(COGNOMS)
        d = Docente(cognom1, rnd.choice([c for c in COGNOMS if c != cognom1]), rnd.choice(NOMS),
                    documento, depto)
        if i == 1:  # the same initials as the first teacher, under other names
            a = centro.docentes[0]
            d.apellido1 = rnd.choice([c for c in COGNOMS if c[0] == a.apellido1[0]
                                      and c != a.apellido1] or [a.apellido1])
            d.apellido2 = rnd.choice([c for c in COGNOMS if c[0] == a.apellido2[0]] or [a.apellido2])
            d.nombre = rnd.choice([n for n in NOMS if n[0] == a.nombre[0] and n != a.nombre]
                                  or [a.nombre])
        if i == 5:  # no second surname
            d.apellido1, d.apellido2, d.nombre = "O'Connor", BLANCO, "Siobhan"
        d.tipo = "I" if rnd.random() < 0.2 else "D"
        d.fecha = "%02d/%02d/%d" % (rnd.randint(1, 28), rnd.choice([9, 9, 9, 10, 1]),
                                    rnd.randint(1995, 2025))
        correo = "%s.%s@benivall.example" % (ascii_minusculas(d.nombre.split()[0]),
                                             ascii_minusculas(d.apellido1))
        if i % 9 == 4:  # only a second address
            d.email2 = correo
        else:
            d.email1 = correo
        centro.docentes.append(d)
    return centro.docentes


# --------------------------------------------------------------------------
# Timetable


class Horario:
    """Who is busy when. A slot is (template, day, period index); taking a slot
    also takes every slot of the other template that overlaps it in time."""

    def __init__(self, plantillas):
        self.plantillas = plantillas
        self.ancho = max(len(p.periodos) for p in plantillas)
        minutos = []
        for p in plantillas:
            minutos.append([(int(d[:2]) * 60 + int(d[3:]), int(h[:2]) * 60 + int(h[3:]))
                            for _, d, h in p.periodos])
        self.solapes = {}
        for t, tramos in enumerate(minutos):
            for k, (a, b) in enumerate(tramos):
                lista = []
                for t2, tramos2 in enumerate(minutos):
                    for k2, (a2, b2) in enumerate(tramos2):
                        if a < b2 and a2 < b:
                            lista.append((t2, k2))
                self.solapes[(t, k)] = lista
        self.ocupado = {}  # who -> set of slot ids

    def slot(self, t, d, k):
        return (t * len(DIAS) + d) * self.ancho + k

    def slots(self, t):
        return [self.slot(t, d, k) for d in range(len(DIAS))
                for k in range(len(self.plantillas[t].periodos))]

    def partes(self, s):
        s, k = divmod(s, self.ancho)
        t, d = divmod(s, len(DIAS))
        return t, d, k

    def libre(self, quien, s):
        return s not in self.ocupado.get(quien, ())

    def tomar(self, quien, s):
        t, d, k = self.partes(s)
        conjunto = self.ocupado.setdefault(quien, set())
        for t2, k2 in self.solapes[(t, k)]:
            conjunto.add(self.slot(t2, d, k2))


def elegir_docente(rnd, por_depto, todos, depto, excluir=()):
    candidatos = [d for d in por_depto.get(depto, ()) if d not in excluir] or \
                 [d for d in todos if d not in excluir and d.depto != "ORI"]
    menor = min(d.carga for d in candidatos)
    return rnd.choice([d for d in candidatos if d.carga == menor])


def programar(rnd, centro):
    h = Horario(centro.plantillas)
    profesores = [d for d in centro.docentes if d.depto != "ORI"]
    por_depto = {}
    for d in profesores:
        por_depto.setdefault(d.depto, []).append(d)

    # Teachers for every group and content, the lessons balanced among each
    # department; a shared content gets a second teacher for half its lessons.
    partes = []  # (group, content, lessons, teacher)
    for g in centro.grupos:
        for c, n, compartida in g.plan:
            d1 = elegir_docente(rnd, por_depto, profesores, c.depto)
            if compartida:
                d1.carga += (n + 1) // 2
                d2 = elegir_docente(rnd, por_depto, profesores, c.depto, excluir=(d1,))
                d2.carga += n // 2
                partes.append((g, c, (n + 1) // 2, d1, (n + 1) // 2 + n // 2))
                partes.append((g, c, n // 2, d2, 0))
            else:
                d1.carga += n
                partes.append((g, c, n, d1, n))
    for d in profesores:
        d.carga = 0

    libres = {id(g): h.slots(g.plantilla) for g in centro.grupos}
    # The largest pieces first, so that they still find room.
    orden = sorted(range(len(partes)), key=lambda i: (-partes[i][4], rnd.random()))
    fallos = 0
    dias_usados = {}
    for i in orden:
        g, c, n, docente, _ = partes[i]
        if n == 0:
            continue
        usados = dias_usados.setdefault((id(g), id(c)), set())
        puestos = colocar(rnd, h, g, c, n, docente, libres[id(g)], usados, centro)
        if puestos is None:
            # Someone else of the department, then anyone, who has the time.
            otros = [d for d in por_depto.get(c.depto, ()) if d is not docente] + \
                    [d for d in profesores if d.depto != c.depto]
            otros.sort(key=lambda d: d.carga)
            for otro in otros:
                puestos = colocar(rnd, h, g, c, n, otro, libres[id(g)], usados, centro)
                if puestos is not None:
                    docente = otro
                    break
        if puestos is None:
            fallos += n
            continue
        docente.carga += n
        for s, aula in puestos:
            h.tomar(id(g), s)
            h.tomar(id(docente), s)
            h.tomar(aula, s)
            libres[id(g)].remove(s)
            usados.add(h.partes(s)[1])
            t, d, k = h.partes(s)
            centro.lecciones.append((t, d, k, g, c, docente, aula))
    if fallos:
        print("generar_centro: %d lessons found no free period and were left out" % fallos,
              file=sys.stderr)
    return h


def colocar(rnd, h, g, c, n, docente, libres, dias_usados, centro):
    """n slots where the group and the teacher are free, with a room for each;
    on days the content does not have yet and in its dedicated room when possible."""
    salas = centro.salas.get(c.sala, []) if c.sala else []
    buenos, regulares = [], []
    dias = set(dias_usados)
    for s in rnd.sample(libres, len(libres)):
        if not h.libre(id(docente), s):
            continue
        aula = next((a for a in salas if h.libre(a, s)), None)
        dia = h.partes(s)[1]
        if aula is not None and dia not in dias:
            buenos.append((s, aula))
            dias.add(dia)
            if len(buenos) == n:
                return buenos
        elif len(regulares) < 4 * n:
            regulares.append((s, aula or g.aula))
    elegidos = buenos[:]
    tomados = {s for s, _ in elegidos}
    for s, aula in regulares:
        if len(elegidos) == n:
            break
        if s not in tomados:
            elegidos.append((s, aula))
            tomados.add(s)
    return elegidos if len(elegidos) == n else None


def poner_ocupaciones(rnd, centro, h, total):
    """`total` occupation periods in the teachers' free periods."""
    docentes = centro.docentes
    principal = {}
    for t, _, _, _, _, d, _ in centro.lecciones:
        principal.setdefault(id(d), [0] * len(centro.plantillas))[t] += 1
    # Everyone gets a share (the orientation teacher a bigger one), except the
    # very last teacher, who is on leave and has nothing in the timetable.
    activos = docentes[:-1] if len(docentes) > 1 else docentes
    pesos = [3 if d.depto == "ORI" else 1 for d in activos]
    cuota = [0] * len(activos)
    suma = sum(pesos)
    for i, p in enumerate(pesos):
        cuota[i] = total * p // suma
    for i in range(total - sum(cuota)):
        cuota[i % len(activos)] += 1
    jefes = set()
    for d in activos:
        if d.depto not in jefes:
            jefes.add(d.depto)
            d.jefe = True
    todos = [h.slots(t) for t in range(len(centro.plantillas))]
    codigos = [o[0] for o in centro.ocupaciones]
    pesos_oc = [o[3] for o in centro.ocupaciones]
    for d, n in zip(activos, cuota):
        cuentas = principal.get(id(d)) or [1] + [0] * (len(centro.plantillas) - 1)
        for j in range(n):
            # In a template where the teacher has lessons, as often as they have them there.
            t = rnd.choices(range(len(cuentas)), weights=cuentas)[0]
            libres = [s for s in todos[t] if h.libre(id(d), s)]
            if not libres:
                continue
            if d.depto == "ORI":
                ocup = "200001"
            elif j == 0:
                ocup = "100002"
            elif j == 1 and d.jefe:
                ocup = "100003"
            else:
                ocup = rnd.choices(codigos[:-1], weights=pesos_oc[:-1])[0]
            s = rnd.choice(libres)
            h.tomar(id(d), s)
            _, dia, k = h.partes(s)
            centro.ocupados.append((t, dia, k, d, ocup))


def completar(centro):
    """Tutors and the teachers' branches, from the timetable."""
    por_grupo = {}
    ramas = {}
    for _, _, _, g, _, d, _ in centro.lecciones:
        cuenta = por_grupo.setdefault(id(g), {})
        cuenta[id(d)] = cuenta.get(id(d), 0) + 1
        r = ramas.setdefault(id(d), {})
        r[g.curso.ensenanza] = r.get(g.curso.ensenanza, 0) + 1
    por_id = {id(d): d for d in centro.docentes}
    tutores = set()
    for i, g in enumerate(centro.grupos):
        cuenta = por_grupo.get(id(g))
        if not cuenta:
            continue
        # The teacher with most lessons in the group who tutors no other group yet.
        libres = [k for k in cuenta if k not in tutores] or list(cuenta)
        tutor = por_id[max(libres, key=lambda k: cuenta[k])]
        tutores.add(id(tutor))
        if i == 2:  # ITACA names only the second tutor of this one
            g.tutor_sec = tutor.documento
        else:
            g.tutor_ppal = tutor.documento
    for d in centro.docentes:
        r = ramas.get(id(d))
        if r:
            d.ensenanza = max(r, key=lambda k: r[k])


# --------------------------------------------------------------------------
# Writing


def esc(v):
    v = str(v)
    if v == "":
        v = BLANCO
    return v.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def elemento(nombre, attrs):
    return "<%s %s/>" % (nombre, " ".join('%s="%s"' % (k, esc(v)) for k, v in attrs))


def escribir(centro, ruta, una_linea):
    fecha = "01/09/2026 10:15:00"
    raiz = elemento("centro", [("codigo", centro.codigo), ("denominacion", centro.denominacion),
                               ("curso", "2026"), ("fecha_exportacion", fecha),
                               ("version", "1.2")])[:-2] + ">"
    secciones = []

    def seccion(nombre, filas):
        secciones.append((nombre, filas))

    seccion("docentes", [elemento("docente", [
        ("apellido1", d.apellido1), ("apellido2", d.apellido2), ("nombre", d.nombre),
        ("tipo_docente", d.tipo), ("fecha_ingreso", d.fecha), ("documento", d.documento),
        ("ensenanza", d.ensenanza), ("email1", d.email1), ("email2", d.email2)])
        for d in sorted(centro.docentes, key=lambda d: (ascii_minusculas(d.apellido1),
                                                        ascii_minusculas(d.apellido2),
                                                        ascii_minusculas(d.nombre)))])
    seccion("ensenanzas", [elemento("ensenanza", [
        ("ensenanza", e[0]), ("abreviatura", e[1]), ("nombre_val", e[2]), ("nombre_cas", e[3])])
        for e in centro.ensenanzas])
    seccion("cursos", [elemento("curso", [
        ("codigo", c.codigo), ("abreviatura", c.abreviatura), ("nombre_val", c.val),
        ("nombre_cas", c.cas), ("ensenanza", c.ensenanza), ("padre", c.padre)])
        for c in centro.cursos])
    seccion("cursos_grupo", [elemento("curso_grupo", [("grupo", g.codigo), ("curso", g.curso.codigo)])
                             for g in centro.grupos])
    seccion("grupos", [elemento("grupo", [
        ("codigo", g.codigo), ("nombre", g.nombre), ("turno", g.turno),
        ("ensenanza", g.curso.ensenanza), ("tutor_ppal", g.tutor_ppal), ("tutor_sec", g.tutor_sec)])
        for g in centro.grupos])
    seccion("contenidos", [elemento("contenido", [
        ("codigo", c.codigo), ("curso", c.curso.codigo), ("nombre_val", c.val), ("nombre_cas", c.cas)])
        for curso in centro.cursos for c in curso.contenidos])
    seccion("ocupaciones", [elemento("ocupacion", [("codigo", o[0]), ("nombre_val", o[1]),
                                                   ("nombre_cas", o[2])])
                            for o in centro.ocupaciones])
    seccion("aulas", [elemento("aula", [("codigo", a[0]), ("nombre", a[1])]) for a in centro.aulas])
    seccion("plantillas_horario", [elemento("plantilla_horario", [
        ("codigo", p.codigo), ("descripcion_val", p.val), ("descripcion_cas", p.cas),
        ("turno", p.turno)]) for p in centro.plantillas])
    seccion("sesiones_horario", [elemento("sesion_horario", [
        ("plantilla", p.codigo), ("dia_semana", dia), ("sesion_orden", n), ("hora_desde", a),
        ("hora_hasta", b)]) for p in centro.plantillas for dia in DIAS for n, a, b in p.periodos])

    orden_grupo = {id(g): i for i, g in enumerate(centro.grupos)}
    lecciones = sorted(centro.lecciones, key=lambda x: (x[0], orden_grupo[id(x[3])], x[1], x[2]))
    filas = []
    for t, d, k, g, c, doc, aula in lecciones:
        p = centro.plantillas[t]
        n, a, b = p.periodos[k]
        filas.append(elemento("horario_grupo", [
            ("plantilla", p.codigo), ("dia_semana", DIAS[d]), ("sesion_orden", n),
            ("hora_desde", a), ("hora_hasta", b), ("grupo", g.codigo),
            ("ensenanza", g.curso.ensenanza), ("curso", g.curso.codigo), ("contenido", c.codigo),
            ("docente", doc.documento), ("aula", aula), ("idioma", BLANCO)]))
    seccion("horarios_grupo", filas)

    orden_doc = {id(d): i for i, d in enumerate(centro.docentes)}
    ocupados = sorted(centro.ocupados, key=lambda x: (orden_doc[id(x[3])], x[0], x[1], x[2]))
    filas = []
    for t, d, k, doc, ocup in ocupados:
        p = centro.plantillas[t]
        n, a, b = p.periodos[k]
        filas.append(elemento("horario_ocupacion", [
            ("plantilla", p.codigo), ("dia_semana", DIAS[d]), ("sesion_orden", n),
            ("hora_desde", a), ("hora_hasta", b), ("docente", doc.documento),
            ("ocupacion", ocup), ("ensenanza", doc.ensenanza)]))
    seccion("horarios_ocupaciones", filas)

    partes = ['<?xml version="1.0"?>', raiz]
    for nombre, filas in secciones:
        if una_linea:
            partes.append("<%s>%s</%s>" % (nombre, "".join(filas), nombre))
        else:
            partes.append("  <%s>" % nombre)
            partes.extend("    " + f for f in filas)
            partes.append("  </%s>" % nombre)
    partes.append("</centro>")
    texto = "".join(partes) if una_linea else "\n".join(partes) + "\n"
    with open(ruta, "w", encoding="utf-8", newline="\n") as f:
        f.write(texto)


# --------------------------------------------------------------------------


GRANDE = {"docentes": 400, "grupos": 150, "contenidos": 2500, "lecciones": 40000,
          "ocupaciones_periodos": 5000}


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("salida", help="the XML file to write")
    ap.add_argument("--escala", choices=["sample", "grande"])
    ap.add_argument("--semilla", type=int, default=2026)
    for k in GRANDE:
        ap.add_argument("--" + k.replace("_", "-"), dest=k, type=int)
    modo = ap.add_mutually_exclusive_group()
    modo.add_argument("--one-line", dest="una_linea", action="store_true", default=None)
    modo.add_argument("--pretty", dest="una_linea", action="store_false")
    a = ap.parse_args(argv)

    cuentas = {k: getattr(a, k) for k in GRANDE}
    dadas = any(v is not None for v in cuentas.values())
    escala = a.escala or ("grande" if dadas else "sample")
    if escala == "sample" and dadas:
        ap.error("the counts go with --escala grande; the sample school has fixed sizes")
    for k, v in cuentas.items():
        if v is not None and v < (1 if k in ("docentes", "grupos", "contenidos") else 0):
            ap.error("--%s must be positive" % k.replace("_", "-"))

    inicio = time.time()
    rnd = random.Random(a.semilla)
    if escala == "sample":
        centro = centro_ejemplo(rnd)
        n_docentes, n_ocup = 36, 150
        apartados = 2
    else:
        cuentas = {k: (GRANDE[k] if v is None else v) for k, v in cuentas.items()}
        centro = centro_grande(rnd, cuentas["grupos"], cuentas["contenidos"], cuentas["lecciones"])
        n_docentes, n_ocup = cuentas["docentes"], cuentas["ocupaciones_periodos"]
        apartados = 2 if n_docentes > 10 else 0
    crear_docentes(rnd, centro, n_docentes, apartados)
    h = programar(rnd, centro)
    poner_ocupaciones(rnd, centro, h, n_ocup)
    completar(centro)
    una_linea = a.una_linea if a.una_linea is not None else escala != "sample"
    escribir(centro, a.salida, una_linea)
    print("%s: %d teachers, %d groups, %d contents, %d rooms, %d templates, %d lessons, "
          "%d occupation periods (%.1f s)" % (
              a.salida, len(centro.docentes), len(centro.grupos),
              sum(len(c.contenidos) for c in centro.cursos), len(centro.aulas),
              len(centro.plantillas), len(centro.lecciones), len(centro.ocupados),
              time.time() - inicio), file=sys.stderr)


if __name__ == "__main__":
    main()
