#!/usr/bin/python3
"""Prints one sheet of a workbook (the first, or the index given after the path) as xlrd
reads it, for the records tests; a number cell is printed as Python's repr of it.

Line 1: "sheets=N rows=R cols=C nontext=K warnings=W", where K counts cells that are
neither text nor empty and W the lines xlrd logged (echoed to stderr).
Then one line per row, the cell values separated by tabs; backslash, tab and newline
inside a value are written as \\\\, \\t and \\n.
"""
import io
import sys

import xlrd


def escape(value):
    return value.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def main():
    sys.stdout.reconfigure(encoding="utf-8")
    log = io.StringIO()
    book = xlrd.open_workbook(sys.argv[1], logfile=log, verbosity=0)
    sheet = book.sheet_by_index(int(sys.argv[2]) if len(sys.argv) > 2 else 0)
    nontext = sum(
        1
        for r in range(sheet.nrows)
        for c in range(sheet.ncols)
        if sheet.cell_type(r, c) not in (xlrd.XL_CELL_TEXT, xlrd.XL_CELL_EMPTY)
    )
    warnings = log.getvalue()
    sys.stderr.write(warnings)
    print("sheets=%d rows=%d cols=%d nontext=%d warnings=%d"
          % (book.nsheets, sheet.nrows, sheet.ncols, nontext, len(warnings.splitlines())))
    for r in range(sheet.nrows):
        print("\t".join(escape(v if isinstance(v, str) else repr(v)) for v in sheet.row_values(r)))


main()
