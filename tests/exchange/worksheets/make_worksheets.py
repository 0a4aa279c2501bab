"""Writes the test workbooks book.xls, book.xlsx and book.ods with the
office suite: a first sheet "Τιμές" with Greek text, numbers, dates, a
formula, a text of two lines and an empty row, and a second sheet
"Προσφορές"; and the .xls and .ods locked by the password "tender"
(locked.xls, locked.ods: the office suite cannot lock an .xlsx it writes). Run once with: python3 make_worksheets.py <folder>."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

import uno


def prop(name, value):
    p = uno.createUnoStruct("com.sun.star.beans.PropertyValue")
    p.Name, p.Value = name, value
    return p


def main(folder):
    profile = tempfile.mkdtemp()
    pipe = "make-worksheets-%d" % os.getpid()
    process = subprocess.Popen(["soffice", "--headless", "--norestore", "--nologo", "--nodefault",
                                "-env:UserInstallation=" + uno.systemPathToFileUrl(profile),
                                "--accept=pipe,name=%s;urp;" % pipe])
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    for _ in range(600):
        try:
            ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
            break
        except Exception:
            time.sleep(0.1)
    desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
    doc = desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (prop("Hidden", True),))
    sheets = doc.getSheets()
    first = sheets.getByIndex(0)
    first.setName("Τιμές")
    sheets.insertNewByName("Προσφορές", 1)
    second = sheets.getByName("Προσφορές")
    second.getCellByPosition(0, 0).setString("δεύτερο φύλλο")
    second.getCellByPosition(1, 1).setValue(7)
    date_format = doc.getNumberFormats().queryKey("DD/MM/YYYY", uno.createUnoStruct("com.sun.star.lang.Locale"),
                                                  False)
    if date_format < 0:
        date_format = doc.getNumberFormats().addNew("DD/MM/YYYY", uno.createUnoStruct("com.sun.star.lang.Locale"))
    rows = [
        ["Επωνυμία", "Ποσό", "Ημερομηνία"],
        ["Αλφα ΑΤΕ", 1234.5, 46363],   # 7/12/2026
        [None, None, None],
        ["Βήτα ΕΠΕ", -0.25, 45688],    # 31/1/2025
        ["Γάμμα\nδεύτερη γραμμή", "=C3*2", None],
    ]
    for r, row in enumerate(rows):
        for c, value in enumerate(row):
            cell = first.getCellByPosition(c + 1, r + 1)  # from B2: the used range starts there
            if value is None:
                continue
            if isinstance(value, str) and value.startswith("="):
                cell.setFormula(value)
            elif isinstance(value, str):
                cell.setString(value)
            else:
                cell.setValue(value)
                if c == 2:
                    cell.NumberFormat = date_format
    doc.getCurrentController().setActiveSheet(first)
    for name, filt in (("book.ods", "calc8"), ("book.xlsx", "Calc MS Excel 2007 XML"), ("book.xls", "MS Excel 97")):
        doc.storeToURL(uno.systemPathToFileUrl(os.path.abspath(os.path.join(folder, name))),
                       (prop("FilterName", filt),))
        if name != "book.xlsx":
            doc.storeToURL(uno.systemPathToFileUrl(os.path.abspath(os.path.join(folder, "locked" + name[4:]))),
                           (prop("FilterName", filt), prop("Password", "tender")))
    doc.close(True)
    try:
        desktop.terminate()
    except Exception:
        pass
    process.wait()
    shutil.rmtree(profile, ignore_errors=True)


if __name__ == "__main__":
    main(sys.argv[1])
