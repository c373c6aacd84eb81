#!/usr/bin/env python3
"""Writes the small school in every encoding the loader reads.

Each file holds the same data; a value the encoding lacks (the euro sign and
the oe ligature in ISO-8859-1) is written as a character reference, so every
file reads to the same Windows-1252 texts. Run from this directory.
"""

SCHOOL = """<centro codigo="46000001" denominacion="IES Lluís Vives" curso="2024">
\t<docentes>
\t\t<docente documento="11111111A" nombre="José Begoña" apellido1="Ibáñez" apellido2="Güell"/>
\t\t<docente documento="22222222B" nombre="Lluïsa" apellido1="Castelló" apellido2="Múrcia Ferràndiz"/>
\t\t<docente documento="33333333C" nombre="Mercè" apellido1="Puçol" apellido2="Sòria"/>
\t</docentes>
\t<contenidos>
\t\t<contenido codigo="FQ" curso=" 1ESO " nombre_val="Física i Química" nombre_cas="Física y Química"/>
\t</contenidos>
\t<ocupaciones>
\t\t<ocupacion codigo="TES" nombre_val="Tresoreria" nombre_cas="Cobro 5 € · Cœur"/>
\t</ocupaciones>
</centro>
"""


def latin1_text(s):
    return "".join(c if ord(c) < 256 else "&#%d;" % ord(c) for c in s)


def declared(enc):
    return '<?xml version="1.0" encoding="%s"?>\n' % enc


FILES = {
    "escuela_utf8.xml": (declared("UTF-8") + SCHOOL).encode("utf-8"),
    "escuela_utf8_bom.xml": b"\xef\xbb\xbf" + (declared("UTF-8") + SCHOOL).encode("utf-8"),
    "escuela_latin1.xml": latin1_text(declared("ISO-8859-1") + SCHOOL).encode("latin-1"),
    "escuela_cp1252.xml": (declared("windows-1252") + SCHOOL).encode("cp1252"),
    "escuela_utf16le.xml": b"\xff\xfe" + (declared("UTF-16") + SCHOOL).encode("utf-16-le"),
    "escuela_utf16be.xml": b"\xfe\xff" + (declared("UTF-16") + SCHOOL).encode("utf-16-be"),
    "escuela_utf16le_sin_bom.xml": (declared("UTF-16") + SCHOOL).encode("utf-16-le"),
    "escuela_sin_declarar_1252.xml": SCHOOL.encode("cp1252"),
    "escuela_version_1252.xml": ('<?xml version="1.0"?>\n' + SCHOOL).encode("cp1252"),
}

for name, data in FILES.items():
    with open(name, "wb") as f:
        f.write(data)
