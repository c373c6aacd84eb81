#!/usr/bin/python3
"""Reads the working tables: dBase III files and dBase level 7 files.

Used as a module (leer, filas) by the other tools, and as a command that shows
tables:

    leer_dbf.py TABLA.DBF... [--filas N]

prints, for each table, its name, level, row count, fields and its first N rows
(5 by default; 0 for none, -1 for all).

Level 7 files (version byte 0x04; the tool writes ASIGNOMT, AULAT and
DIASHORAST at that level because of their long field names) have a 68-byte
header and 48-byte field descriptors, which common readers of dBase III do not
take, so this reader parses both layouts itself:

    header   bytes 4-7 record count, 8-9 header length, 10-11 record length
    fields   32 bytes each (level III: name 11 at 0, type at 11, length at 16,
             decimals at 17) or 48 bytes each (level 7: name 32 at 0, type at
             32, length at 33, decimals at 34), ended by 0x0D
    records  from the header length on: a flag byte ("*" deleted) and the fields

Text is Windows-1252. Deleted records are left out.
"""
import struct
import sys

NIVELES = {0x03: "dBase III", 0x83: "dBase III", 0x04: "dBase 7", 0x8C: "dBase 7"}


class Campo:
    def __init__(self, nombre, tipo, largo, decimales, desde):
        self.nombre, self.tipo, self.largo, self.decimales, self.desde = (
            nombre, tipo, largo, decimales, desde)

    def __repr__(self):
        return "%s %s(%d%s)" % (self.nombre, self.tipo, self.largo,
                                ",%d" % self.decimales if self.decimales else "")


class Tabla:
    def __init__(self, ruta, version, campos, filas, borradas):
        self.ruta, self.version, self.campos, self.filas, self.borradas = (
            ruta, version, campos, filas, borradas)

    @property
    def nivel(self):
        return NIVELES.get(self.version, "0x%02X" % self.version)

    def nombres(self):
        return [c.nombre for c in self.campos]


def _valor(campo, crudo):
    texto = crudo.decode("cp1252")
    if campo.tipo == "C":
        return texto.rstrip(" ")
    limpio = texto.strip()
    if campo.tipo in "NF":
        if not limpio or limpio.strip("*") == "":
            return None
        numero = float(limpio)
        return int(numero) if campo.decimales == 0 and numero.is_integer() else numero
    if campo.tipo == "L":
        return {"T": True, "Y": True, "F": False, "N": False}.get(limpio[:1].upper())
    return limpio


def leer(ruta):
    """The whole table: fields and the rows that are not deleted, each a dict."""
    with open(ruta, "rb") as f:
        datos = f.read()
    if len(datos) < 32:
        raise ValueError("%s: too short for a dBase table" % ruta)
    version = datos[0]
    nivel7 = (version & 0x07) == 0x04
    n_filas, cabecera, largo_fila = struct.unpack_from("<IHH", datos, 4)
    inicio, paso, ancho_nombre, en_tipo, en_largo = (68, 48, 32, 32, 33) if nivel7 else (32, 32, 11, 11, 16)
    campos, desde = [], 1
    pos = inicio
    while pos < cabecera and datos[pos] != 0x0D:
        d = datos[pos:pos + paso]
        nombre = d[:ancho_nombre].split(b"\0", 1)[0].decode("ascii")
        tipo = chr(d[en_tipo])
        largo, decimales = d[en_largo], d[en_largo + 1]
        if tipo == "C" and not nivel7 and decimales:  # Clipper-style long text
            largo += decimales * 256
            decimales = 0
        campos.append(Campo(nombre, tipo, largo, decimales, desde))
        desde += largo
        pos += paso
    if desde != largo_fila:
        raise ValueError("%s: the fields take %d bytes but a record has %d" % (ruta, desde, largo_fila))
    filas, borradas = [], 0
    for i in range(n_filas):
        reg = datos[cabecera + i * largo_fila: cabecera + (i + 1) * largo_fila]
        if len(reg) < largo_fila:
            raise ValueError("%s: the file ends inside record %d" % (ruta, i + 1))
        if reg[0:1] == b"*":
            borradas += 1
            continue
        filas.append({c.nombre: _valor(c, reg[c.desde:c.desde + c.largo]) for c in campos})
    return Tabla(ruta, version, campos, filas, borradas)


def filas(ruta):
    return leer(ruta).filas


def _texto(v):
    if v is None:
        return ""
    if v is True:
        return "T"
    if v is False:
        return "F"
    return str(v)


def mostrar(tabla, n, salida=sys.stdout):
    nombre = tabla.ruta.replace("\\", "/").rsplit("/", 1)[-1]
    salida.write("%s: %d rows, %s, fields: %s\n" % (
        nombre, len(tabla.filas), tabla.nivel, " ".join(map(repr, tabla.campos))))
    muestra = tabla.filas if n < 0 else tabla.filas[:n]
    if not muestra:
        return
    # Only the fields that hold something in the rows shown, each as wide as its values.
    cols = [c.nombre for c in tabla.campos if any(_texto(f[c.nombre]) for f in muestra)]
    anchos = {c: min(30, max(len(c), *(len(_texto(f[c])) for f in muestra))) for c in cols}
    salida.write("  " + " | ".join(c.ljust(anchos[c]) for c in cols).rstrip() + "\n")
    for f in muestra:
        salida.write("  " + " | ".join(_texto(f[c])[:anchos[c]].ljust(anchos[c]) for c in cols).rstrip()
                     + "\n")
    if len(muestra) < len(tabla.filas):
        salida.write("  ... (%d more)\n" % (len(tabla.filas) - len(muestra)))


def main(argv):
    import argparse
    ap = argparse.ArgumentParser(description="Shows dBase tables (level III and level 7).")
    ap.add_argument("tablas", nargs="+")
    ap.add_argument("--filas", type=int, default=5, help="rows shown per table (-1: all)")
    a = ap.parse_args(argv)
    for i, ruta in enumerate(a.tablas):
        if i:
            sys.stdout.write("\n")
        mostrar(leer(ruta), a.filas)


if __name__ == "__main__":
    main(sys.argv[1:])
