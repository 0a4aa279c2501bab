#!/usr/bin/python3
"""A budget of 2,500 rows by 14 columns and its totals into Calc through the
spreadsheet service's session, in frames of 256 commands as the program
sends it, up to the cells written after the last frame, timed from when
Calc is up; then every cell is read back and compared.
Usage: calc_budget.py [rows] (2500 by default). Exits 1 on a difference."""

import importlib.machinery
import importlib.util
import os
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SERVICE = os.path.join(HERE, "..", "printing", "calc-bridge", "Excel")
loader = importlib.machinery.SourceFileLoader("bridge", SERVICE)
spec = importlib.util.spec_from_loader("bridge", loader)
bridge = importlib.util.module_from_spec(spec)
loader.exec_module(bridge)


def budget(rows):
    """The frames of the budget (commands) and the cells they must leave."""
    frames, expected = [], {}
    for r in range(1, rows + 1):
        frame = []
        for c in range(1, 15):
            if c in (1, 2):
                text = ("%d.%d" % (r, c)) if c == 1 else "Εργασία «%d» Ύψος" % r
            else:
                text = "%d,%02d" % (r * c, (r + c) % 100)
            frame += [b'[SELECT("R%dC%d")]' % (r, c), b'[FORMULA("' + text.encode("cp1253") + b'")]']
            value = bridge.parse_number(text, 2)
            expected[(r, c)] = value if value is not None else text
        frames.append(frame)
    totals = []
    for c in range(3, 15):
        text = "%d,00" % (c * 1000)
        totals += [b'[SELECT("R%dC%d")]' % (rows + 2, c), b'[FORMULA("' + text.encode("cp1253") + b'")]']
        expected[(rows + 2, c)] = bridge.parse_number(text, 2)
    totals += [b'[SELECT("R%dC2")]' % (rows + 2), b'[FORMULA("' + "Σύνολο".encode("cp1253") + b'")]']
    expected[(rows + 2, 2)] = "Σύνολο"
    frames.append(totals)
    # The program sends at most 256 commands a frame, cut wherever it falls.
    stream = [command for frame in frames for command in frame]
    return [stream[i:i + 256] for i in range(0, len(stream), 256)], expected


def main():
    rows = int(sys.argv[1]) if len(sys.argv) > 1 else 2500
    os.environ.pop("DISPLAY", None)
    profile = tempfile.mkdtemp(prefix="calc_budget_")
    backend = bridge.CalcBackend("calc_budget_%d" % os.getpid(), profile)
    try:
        frames, expected = budget(rows)
        session = bridge.Session(backend, 2)
        session.run([b"[NEW(1)]"])
        start = time.monotonic()
        for frame in frames:
            if session.run(frame) != len(frame):
                print("a frame was refused")
                return 1
        # The pause after the last frame, when the service writes what it
        # gathered.
        session.flush()
        took = time.monotonic() - start
        sheet = backend.document.getSheets().getByIndex(0)
        data = sheet.getCellRangeByPosition(0, 0, 13, rows + 1).getDataArray()
        bad = 0
        for r, line in enumerate(data, 1):
            for c, value in enumerate(line, 1):
                want = expected.get((r, c), "")
                if value != want:
                    bad += 1
        print("%d x 14 cells and totals into Calc: %.3f s, %d differences" % (rows, took, bad))
        return 1 if bad else 0
    finally:
        try:
            backend.desktop.terminate()
        except Exception:
            pass
        backend.process.wait(timeout=30)


if __name__ == "__main__":
    sys.exit(main())
