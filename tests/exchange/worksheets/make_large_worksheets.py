"""Writes, without the office suite, the workbooks the reader's bounds are
tried on, into the folder given first:

  rows-<N>.xlsx   N rows of five columns: a text, three numbers, a text
  repeat.ods      one cell repeated over the whole sheet (1,048,576 rows of
                  16,384 columns), a few kilobytes on disk
  blanks.xlsx     two cells with a gigabyte of blanks between them
  expand.ods      one number over a million rows of thirteen columns, under
                  a kilobyte on disk
  apart.ods       two numbers, in A1 and in C of the sheet's last row
  nosheet.xlsx    a workbook naming a sheet whose part is not there
  empty.xls       a file of no bytes

Usage: python3 make_large_worksheets.py <folder> [name ...], each name one
of rows-<N>.xlsx, repeat.ods, blanks.xlsx, expand.ods, apart.ods,
nosheet.xlsx, empty.xls; all of
them (with 5,000 rows) when none is named."""

import os
import sys
import zipfile

CONTENT_TYPES = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Default Extension="xml" ContentType="application/xml"/>'
    '<Override PartName="/xl/workbook.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
    '<Override PartName="/xl/worksheets/sheet1.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
    '</Types>')
ROOT_RELS = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    '<Relationship Id="rId1" '
    'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" '
    'Target="xl/workbook.xml"/></Relationships>')
WORKBOOK = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
    '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
    'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
    '<sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>')
WORKBOOK_RELS = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    '<Relationship Id="rId1" '
    'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" '
    'Target="worksheets/sheet1.xml"/></Relationships>')
SHEET_HEAD = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
              '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>')
SHEET_TAIL = '</sheetData></worksheet>'


def column(n):
    name = ""
    while n:
        n, rest = divmod(n - 1, 26)
        name = chr(65 + rest) + name
    return name


def text_cell(ref, text):
    return '<c r="%s" t="inlineStr"><is><t>%s</t></is></c>' % (ref, text)


def number_cell(ref, value):
    return '<c r="%s"><v>%r</v></c>' % (ref, value)


def row_cells(r):
    """The five cells of row r, as the reader must give them back."""
    return ["Προσφέρων %d" % r, r, r * 1.25, -r, "τέλος %d" % r]


def workbook(path, sheet_parts, with_sheet=True):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=1) as z:
        z.writestr("[Content_Types].xml", CONTENT_TYPES)
        z.writestr("_rels/.rels", ROOT_RELS)
        z.writestr("xl/workbook.xml", WORKBOOK)
        z.writestr("xl/_rels/workbook.xml.rels", WORKBOOK_RELS)
        if with_sheet:
            with z.open("xl/worksheets/sheet1.xml", "w", force_zip64=True) as sheet:
                for part in sheet_parts():
                    sheet.write(part.encode("utf-8"))


def rows_xlsx(path, rows):
    def parts():
        yield SHEET_HEAD
        for r in range(1, rows + 1):
            cells = []
            for c, value in enumerate(row_cells(r), 1):
                ref = column(c) + str(r)
                cells.append(text_cell(ref, value) if isinstance(value, str) else number_cell(ref, value))
            yield '<row r="%d">%s</row>' % (r, "".join(cells))
        yield SHEET_TAIL
    workbook(path, parts)


def blanks_xlsx(path, blank_bytes):
    def parts():
        yield SHEET_HEAD + '<row r="1">' + text_cell("A1", "πρώτο")
        chunk = " " * (1 << 20)
        left = blank_bytes
        while left > 0:
            yield chunk[:min(left, len(chunk))]
            left -= len(chunk)
        yield text_cell("B1", "δεύτερο") + "</row>" + SHEET_TAIL
    workbook(path, parts)


def number_cells(value, columns=1):
    return ('<table:table-cell table:number-columns-repeated="%d" office:value-type="float" office:value="%d">'
            '<text:p>%d</text:p></table:table-cell>' % (columns, value, value))


def repeat_ods(path):
    ods(path, '<table:table-column table:number-columns-repeated="16384"/>'
              '<table:table-row table:number-rows-repeated="1048576">' + number_cells(1, 16384) +
              '</table:table-row>')


def expand_ods(path):
    ods(path, '<table:table-row table:number-rows-repeated="1000000">' + number_cells(1, 13) +
              '</table:table-row>')


def apart_ods(path):
    ods(path, '<table:table-row>' + number_cells(1) + '</table:table-row>'
              '<table:table-row table:number-rows-repeated="1048574"><table:table-cell/></table:table-row>'
              '<table:table-row><table:table-cell table:number-columns-repeated="2"/>' + number_cells(2) +
              '</table:table-row>')


def ods(path, table):
    content = (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        '<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
        'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
        'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2">'
        '<office:body><office:spreadsheet><table:table table:name="Sheet1">' + table +
        '</table:table></office:spreadsheet></office:body></office:document-content>')
    manifest = (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" '
        'manifest:version="1.2">'
        '<manifest:file-entry manifest:full-path="/" '
        'manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>'
        '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
        '</manifest:manifest>')
    with zipfile.ZipFile(path, "w") as z:
        # The media type comes first and stored, as the format asks.
        z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet")
        z.writestr("META-INF/manifest.xml", manifest, zipfile.ZIP_DEFLATED)
        z.writestr("content.xml", content, zipfile.ZIP_DEFLATED)


def main(folder, names):
    os.makedirs(folder, exist_ok=True)
    makers = {"repeat.ods": repeat_ods,
              "expand.ods": expand_ods,
              "apart.ods": apart_ods,
              "blanks.xlsx": lambda path: blanks_xlsx(path, 1 << 30),
              "nosheet.xlsx": lambda path: workbook(path, None, with_sheet=False),
              "empty.xls": lambda path: open(path, "wb").close()}
    for name in names or ["rows-5000.xlsx"] + list(makers):
        path = os.path.join(folder, name)
        if name.startswith("rows-") and name.endswith(".xlsx"):
            rows_xlsx(path, int(name[5:-5]))
        else:
            makers[name](path)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
