#!/usr/bin/python3
"""Reads a spreadsheet file with the Debian reader, without the program's
code, and prints one line per cell: "ROW COL KIND VALUE" (KIND n for a
number, s for a text), then "encoding E".

usage: xls_cells.py FILE
Exits 2 when the reader is not installed, 1 when the file is refused."""
import sys

try:
    import xlrd
except ImportError:
    print("python3-xlrd is not installed")
    sys.exit(2)

try:
    book = xlrd.open_workbook(sys.argv[1], logfile=open("/dev/null", "w"))
except Exception as error:  # the reader's own complaint
    print("refused:", error)
    sys.exit(1)
sheet = book.sheet_by_index(0)
for row in range(sheet.nrows):
    for col in range(sheet.ncols):
        cell = sheet.cell(row, col)
        if cell.ctype == xlrd.XL_CELL_NUMBER:
            print(row, col, "n", repr(cell.value))
        elif cell.ctype == xlrd.XL_CELL_TEXT:
            print(row, col, "s", cell.value)
print("encoding", book.encoding)
