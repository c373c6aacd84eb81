#!/usr/bin/python3
"""Writes three small tables with python-dbf (an independent writer).

    dbf_write_foreign.py DIR

DIR/db3.dbf  dBase III: C, N, N with decimals, L, D; one deleted row and one
             blank row.
DIR/fp.dbf   FoxPro 2 with a memo file: C, N, F, L, D, M.
DIR/vfp.dbf  Visual FoxPro: C, N, F, L, D, I, B, Y, T, M and a nullable C (so
             the table carries the _NullFlags system field); one deleted row.

The test reading them knows these values: change both together.
"""
import datetime
import decimal
import os
import sys

import dbf


def write(path, layout, kind, rows, deleted=()):
    table = dbf.Table(path, layout, dbf_type=kind, codepage="cp1252")
    table.open(dbf.READ_WRITE)
    for row in rows:
        if row is None:
            table.append()
        else:
            table.append(row)
    for i in deleted:
        dbf.delete(table[i])
    table.close()


def main():
    out = sys.argv[1]
    write(os.path.join(out, "db3.dbf"),
          "NOMBRE C(20); EDAD N(5,0); NOTA N(8,2); ACTIVO L; ALTA D", "db3",
          [("Física", 42, 7.25, True, datetime.date(2023, 9, 1)),
           ("borrada", -3, -0.5, False, datetime.date(1999, 12, 31)),
           None],
          deleted=[1])
    write(os.path.join(out, "fp.dbf"),
          "NOMBRE C(20); EDAD N(5,0); NOTA F(8,2); ACTIVO L; ALTA D; OBS M", "fp",
          [("Año", 7, 1.5, False, datetime.date(2020, 2, 29), "un memo")])
    write(os.path.join(out, "vfp.dbf"),
          "NOMBRE C(20); EDAD N(5,0); NOTA F(8,2); ACTIVO L; ALTA D; CONTADOR I; "
          "PRECIO B; SALDO Y; MOMENTO T; OBS M; NULA C(5) NULL", "vfp",
          [("Física", 42, 7.25, True, datetime.date(2023, 9, 1), -5, 2.5,
            decimal.Decimal("12.3456"), datetime.datetime(2023, 9, 1, 8, 30, 15), "memo", None),
           ("borrada", 1, 1, False, None, 2147483646, -0.125, decimal.Decimal("-7.5"), None, "", "x")],
          deleted=[1])


if __name__ == "__main__":
    main()
