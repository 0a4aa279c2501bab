"""Prints the used cells of the first sheet of every spreadsheet open in the
Calc listening on the pipe given as the first argument: one line a cell,
"document<TAB>row<TAB>column<TAB>N or S<TAB>value", rows and columns from 1."""

import os
import sys
import time

import uno


def main(pipe):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
    desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
    components = desktop.getComponents().createEnumeration()
    number = 0
    while components.hasMoreElements():
        document = components.nextElement()
        if not document.supportsService("com.sun.star.sheet.SpreadsheetDocument"):
            continue
        number += 1
        sheet = document.getSheets().getByIndex(0)
        cursor = sheet.createCursor()
        cursor.gotoEndOfUsedArea(False)
        end = cursor.getRangeAddress()
        for row in range(end.EndRow + 1):
            for col in range(end.EndColumn + 1):
                cell = sheet.getCellByPosition(col, row)
                kind = cell.getType().value
                if kind == "EMPTY":
                    continue
                if kind == "VALUE":
                    print("%d\t%d\t%d\tN\t%r" % (number, row + 1, col + 1, cell.getValue()))
                else:
                    print("%d\t%d\t%d\tS\t%s" % (number, row + 1, col + 1, cell.getString()))


if __name__ == "__main__":
    main(sys.argv[1])
    sys.stdout.flush()
    sys.stderr.flush()
    # Out at once: the interpreter's teardown of the bridge can crash after
    # every cell was read, which would put a crash after a complete answer.
    os._exit(0)
