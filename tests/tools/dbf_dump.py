#!/usr/bin/python3
"""Prints a dBase table as JSON, read by dbfread (an independent reader).

    dbf_dump.py FILE

Output: {"encoding": ..., "fields": [[name, type, length, decimal_count], ...],
"records": [[value, ...], ...], "deleted": n}. The text encoding is the one
dbfread takes from the file's language driver byte; deleted records are only
counted. Dates come out as "YYYY-MM-DD".
"""
import datetime
import json
import sys

from dbfread import DBF


def plain(value):
    if isinstance(value, (datetime.date, datetime.datetime)):
        return value.isoformat()
    if isinstance(value, bytes):
        return value.hex()
    return value


def main():
    table = DBF(sys.argv[1], load=True, char_decode_errors="strict")
    out = {
        "encoding": table.encoding,
        "fields": [[f.name, f.type, f.length, f.decimal_count] for f in table.fields],
        "records": [[plain(v) for v in rec.values()] for rec in table.records],
        "deleted": len(table.deleted),
    }
    json.dump(out, sys.stdout, ensure_ascii=True)
    sys.stdout.write("\n")


if __name__ == "__main__":
    main()
