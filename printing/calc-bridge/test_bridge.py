"""The spreadsheet service's commands, frames and sessions, without Calc."""

import importlib.machinery
import importlib.util
import os
import shutil
import socket
import struct
import tempfile
import threading
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
loader = importlib.machinery.SourceFileLoader("bridge", os.path.join(HERE, "Excel"))
spec = importlib.util.spec_from_loader("bridge", loader)
bridge = importlib.util.module_from_spec(spec)
loader.exec_module(bridge)


class MemoryBackend:
    def __init__(self):
        self.cells, self.calls, self.documents, self.shown = {}, [], 0, []

    def new_document(self):
        self.documents += 1

    def write_block(self, row, col, rows):
        self.calls.append((row, col, len(rows), len(rows[0])))
        for r, values in enumerate(rows):
            assert len(values) == len(rows[0])
            for i, v in enumerate(values):
                self.cells[(row + r, col + i)] = v

    def end_frame(self):
        pass

    def show(self, visible):
        self.shown.append(visible)


class Commands(unittest.TestCase):
    def test_every_form(self):
        cases = [
            (b"[NEW(1)]", ("new",)),
            (b"[APP.MINIMIZE()]", ("show", False)),
            (b"[APP.RESTORE()]", ("show", True)),
            (b'[SELECT("R1C1")]', ("select", 1, 1)),
            (b'[SELECT("R1048576C16384")]', ("select", 1048576, 16384)),
            (b'[FORMULA("=1:3")]', ("put", "=1:3")),
            (b'[FORMULA("\xc1/\xc1")]', ("put", "Α/Α")),
            (b'[FORMULA("")]', ("put", "")),
        ]
        for command, expected in cases:
            self.assertEqual(bridge.parse(command, 1), expected, command)

    def test_refused(self):
        for command in [b'[SELECT("R0C0")]', b'[SELECT("R1048577C1")]', b'[SELECT("R1C16385")]',
                        b'[SELECT(R1C1)]', b'[FORMULA(x)]', b'[FORMULA("a"b")]', b"[NEW(2)]",
                        b'[RUN("rm -rf /")]', b'[SELECT("R1C1")] [NEW(1)]', b"[QUIT()]", b"",
                        b'[SELECT("R1C1")]\n', b'[FORMULA("x")]\n', b"[NEW(1)]\n", b'\n[SELECT("R1C1")]',
                        b'[FORMULA("a\x00b")]', b'[FORMULA("a\nb")]', b'[FORMULA("\x1b[2J")]',
                        b'[FORMULA("tab\there")]', b'[FORMULA("\x7f")]']:
            self.assertIsNone(bridge.parse(command, 1), command)

    def test_numbers_in_both_styles(self):
        cases = [("1.234,56", 2, 1234.56), ("1,234.56", 1, 1234.56), ("  -12,5 ", 2, -12.5),
                 ("1.234", 2, 1234.0), ("1.234", 1, 1.234), ("007", 1, 7.0),
                 ("1.23,4", 2, None), ("12a", 1, None), ("1,234.56", 2, None), ("", 1, None),
                 ("1" * 400, 1, None), ("0," + "0" * 400 + "1", 2, None), ("0,000", 2, 0.0),
                 ("9" * 308, 1, float("9" * 308))]
        for text, style, expected in cases:
            self.assertEqual(bridge.parse_number(text, style), expected, (text, style))


class Frames(unittest.TestCase):
    def test_frames_and_damage(self):
        cmds = [b'[SELECT("R1C1")]', b"[NEW(1)]"]
        payload = b"X" + struct.pack("<H", 2) + b"".join(struct.pack("<H", len(c)) + c for c in cmds)
        item, rest = bridge.decode(bridge.frame(payload) + b"\x01")
        self.assertEqual(item, ("execute", cmds))
        self.assertEqual(rest, b"\x01")
        self.assertEqual(bridge.decode(b"\x05\x00\x00\x00X"), (None, b"\x05\x00\x00\x00X"))
        for bad in [b"\x00\x00\x00\x00", b"\x01\x00\x01\x00", b"\x01\x00\x00\x00Q",
                    b"\x03\x00\x00\x00X\x00\x00", b"\x06\x00\x00\x00X\x01\x00\x09\x00A"]:
            with self.assertRaises(bridge.Malformed, msg=bad):
                bridge.decode(bad + b"\x00" * 8)


class Sessions(unittest.TestCase):
    def test_a_frame_writes_runs_along_rows_and_stops_at_a_refusal(self):
        backend = MemoryBackend()
        session = bridge.Session(backend, 2)
        ran = session.run([b'[SELECT("R2C1")]', b'[FORMULA("1.234,56")]', b'[SELECT("R2C2")]',
                           b'[FORMULA("say \'yes\'")]', b'[SELECT("R3C1")]', b'[FORMULA("x")]',
                           b"[BAD]", b'[FORMULA("never")]'])
        self.assertEqual(ran, 6)
        session.flush()
        self.assertEqual(backend.cells, {(2, 1): 1234.56, (2, 2): "say 'yes'", (3, 1): "x"})
        self.assertEqual(backend.calls, [(2, 1, 1, 2), (3, 1, 1, 1)])

    def test_a_frame_goes_in_as_rectangles(self):
        backend = MemoryBackend()
        session = bridge.Session(backend, 2)
        commands, expected = [], {}
        # 30 rows of 4 cells (numbers and Greek text), then a totals row of
        # two cells and a lone cell to the right of the block.
        for row in range(1, 31):
            for col in range(1, 5):
                text = "%d,5" % (row * col) if col % 2 else "Ύψος %d" % row
                commands += [b'[SELECT("R%dC%d")]' % (row, col),
                             b'[FORMULA("' + text.encode("cp1253") + b'")]']
                expected[(row, col)] = row * col + 0.5 if col % 2 else text
        commands += [b'[SELECT("R31C3")]', b'[FORMULA("1.000,25")]', b'[SELECT("R31C4")]',
                     b'[FORMULA("' + "Σύνολο".encode("cp1253") + b'")]', b'[SELECT("R5C9")]', b'[FORMULA("x")]']
        expected.update({(31, 3): 1000.25, (31, 4): "Σύνολο", (5, 9): "x"})
        self.assertEqual(session.run(commands), len(commands))
        session.flush()
        self.assertEqual(backend.cells, expected)
        self.assertEqual(backend.calls, [(1, 1, 30, 4), (5, 9, 1, 1), (31, 3, 1, 2)])

    def test_cells_gather_across_frames_until_a_command_that_is_no_cell_write(self):
        backend = MemoryBackend()
        order = []
        backend.new_document = lambda: order.append(("new", dict(backend.cells)))
        session = bridge.Session(backend, 1)
        # 40 rows of 3 cells cut into frames of 7 commands wherever they fall.
        stream, expected = [], {}
        for row in range(1, 41):
            for col in range(1, 4):
                stream += [b'[SELECT("R%dC%d")]' % (row, col), b'[FORMULA("%d")]' % (row * col)]
                expected[(row, col)] = float(row * col)
        for first in range(0, len(stream), 7):
            frame = stream[first:first + 7]
            self.assertEqual(session.run(frame), len(frame))
        self.assertEqual(backend.calls, [])
        self.assertEqual(session.run([b"[NEW(1)]", b'[FORMULA("after")]']), 2)
        # Everything before the new document went into the old one, at once.
        self.assertEqual(order, [("new", expected)])
        self.assertEqual(backend.calls, [(1, 1, 40, 3)])
        session.flush()
        self.assertEqual(backend.cells[(40, 3)], "after")
        self.assertEqual(len(backend.calls), 2)

    def test_a_sheet_that_refuses_loses_only_the_gathered_cells(self):
        backend = MemoryBackend()
        session = bridge.Session(backend, 1)
        session.run([b'[FORMULA("lost")]'])
        backend.write_block = lambda *_: (_ for _ in ()).throw(RuntimeError("Calc ended"))
        with self.assertRaises(RuntimeError):
            session.flush()
        self.assertFalse(session.has_pending())

    def test_blocks_keep_every_cell_once(self):
        import random
        rng = random.Random(5)
        for _ in range(200):
            cells = {(rng.randint(1, 8), rng.randint(1, 8)): rng.random() for _ in range(rng.randint(0, 40))}
            seen = {}
            for row, col, rows in bridge.blocks(cells):
                for r, values in enumerate(rows):
                    self.assertEqual(len(values), len(rows[0]))
                    for i, v in enumerate(values):
                        self.assertNotIn((row + r, col + i), seen)
                        seen[(row + r, col + i)] = v
            self.assertEqual(seen, cells)

    def test_a_number_too_large_goes_in_as_text(self):
        backend = MemoryBackend()
        session = bridge.Session(backend, 1)
        session.run([b'[FORMULA("' + b"9" * 400 + b'")]'])
        session.flush()
        self.assertEqual(backend.cells, {(1, 1): "9" * 400})

    def test_over_a_socket(self):
        backend = MemoryBackend()
        server, client = socket.socketpair()
        thread = threading.Thread(target=bridge.serve_connection, args=(server, bridge.Session(backend, 1)))
        thread.start()
        client.sendall(bridge.frame(b"OSheet") + bridge.frame(b"OSystem"))
        cmds = [b"[NEW(1)]", b"[APP.MINIMIZE()]", b"[NOPE]"]
        payload = b"X" + struct.pack("<H", 3) + b"".join(struct.pack("<H", len(c)) + c for c in cmds)
        client.sendall(bridge.frame(payload))
        expected = bridge.frame(b"Runknown topic") + bridge.frame(b"A") + bridge.frame(b"E\x02\x00")
        replies = b""
        while len(replies) < len(expected):
            replies += client.recv(100)
        self.assertEqual(replies, expected)
        client.close()
        thread.join()
        server.close()
        self.assertEqual((backend.documents, backend.shown), (1, [False]))

    def test_gathered_cells_go_in_when_the_frames_pause_and_when_the_conversation_ends(self):
        backend = MemoryBackend()
        server, client = socket.socketpair()
        thread = threading.Thread(target=bridge.serve_connection, args=(server, bridge.Session(backend, 1)))
        thread.start()
        client.sendall(bridge.frame(b"OSystem"))
        self.assertEqual(read_exactly(client, 5), bridge.frame(b"A"))
        client.sendall(execute(b'[SELECT("R1C1")]', b'[FORMULA("1")]', b'[SELECT("R1C2")]'))
        self.assertEqual(read_exactly(client, 7), bridge.frame(b"E\x03\x00"))
        client.sendall(execute(b'[FORMULA("2")]'))
        self.assertEqual(read_exactly(client, 7), bridge.frame(b"E\x01\x00"))
        deadline = time.monotonic() + 10
        while not backend.calls and time.monotonic() < deadline:
            time.sleep(0.01)
        self.assertEqual(backend.calls, [(1, 1, 1, 2)])
        client.sendall(execute(b'[SELECT("R2C1")]', b'[FORMULA("3")]'))
        self.assertEqual(read_exactly(client, 7), bridge.frame(b"E\x02\x00"))
        client.close()
        thread.join()
        server.close()
        self.assertEqual(backend.calls, [(1, 1, 1, 2), (2, 1, 1, 1)])
        self.assertEqual(backend.cells, {(1, 1): 1.0, (1, 2): 2.0, (2, 1): 3.0})



def execute(*commands):
    return bridge.frame(b"X" + struct.pack("<H", len(commands)) +
                        b"".join(struct.pack("<H", len(c)) + c for c in commands))


def read_exactly(conn, count):
    data = b""
    while len(data) < count:
        more = conn.recv(count - len(data))
        if not more:
            break
        data += more
    return data


class Conversations(unittest.TestCase):
    def test_nothing_runs_without_an_accepted_topic(self):
        backend = MemoryBackend()
        server, client = socket.socketpair()
        thread = threading.Thread(target=bridge.serve_connection, args=(server, bridge.Session(backend, 1)))
        thread.start()
        ran_none = bridge.frame(b"E\x00\x00")
        steps = [
            (execute(b"[NEW(1)]"), ran_none),                      # before any topic
            (bridge.frame(b"OSheet"), bridge.frame(b"Runknown topic")),
            (execute(b"[NEW(1)]"), ran_none),                      # after a refusal
            (bridge.frame(b"OSystem"), bridge.frame(b"A")),
            (execute(b"[NEW(1)]"), bridge.frame(b"E\x01\x00")),
            (bridge.frame(b"Onope"), bridge.frame(b"Runknown topic")),
            (execute(b"[NEW(1)]"), ran_none),                      # a later refusal closes it again
        ]
        for sent, expected in steps:
            client.sendall(sent)
            self.assertEqual(read_exactly(client, len(expected)), expected, sent)
        client.close()
        thread.join()
        server.close()
        self.assertEqual(backend.documents, 1)

    def test_a_half_frame_or_an_idle_client_holds_up_no_other(self):
        saved = bridge.FRAME_TIMEOUT
        bridge.FRAME_TIMEOUT = 0.5
        folder = tempfile.mkdtemp()
        try:
            path = os.path.join(folder, "Excel")
            listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            listener.bind(path)
            listener.listen(4)
            backend = MemoryBackend()
            threading.Thread(target=bridge.serve, args=(listener, bridge.Session(backend, 1)),
                             daemon=True).start()

            def connect():
                c = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                c.settimeout(5)
                c.connect(path)
                return c

            idle = connect()
            half = connect()
            half.sendall(bridge.frame(b"OSystem")[:3])
            busy = connect()
            busy.sendall(bridge.frame(b"OSystem") + execute(b"[NEW(1)]"))
            expected = bridge.frame(b"A") + bridge.frame(b"E\x01\x00")
            self.assertEqual(read_exactly(busy, len(expected)), expected)
            # The half frame ends its conversation once its time is up.
            self.assertEqual(half.recv(10), b"")
            # The idle client keeps its own.
            idle.sendall(bridge.frame(b"OSystem"))
            self.assertEqual(read_exactly(idle, 5), bridge.frame(b"A"))
            for c in (idle, half, busy):
                c.close()
            listener.close()
        finally:
            bridge.FRAME_TIMEOUT = saved
            shutil.rmtree(folder, ignore_errors=True)

    def serve_in(self, folder, is_program):
        path = os.path.join(folder, "Excel")
        listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        listener.bind(path)
        listener.listen(4)
        self.addCleanup(listener.close)
        threading.Thread(target=bridge.serve, args=(listener, bridge.Session(MemoryBackend(), 1), is_program),
                         daemon=True).start()
        return path

    def bounds(self, frame_timeout, idle_timeout):
        saved = bridge.FRAME_TIMEOUT, bridge.IDLE_TIMEOUT
        bridge.FRAME_TIMEOUT, bridge.IDLE_TIMEOUT = frame_timeout, idle_timeout

        def restore():
            bridge.FRAME_TIMEOUT, bridge.IDLE_TIMEOUT = saved
        self.addCleanup(restore)
        folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, folder, True)
        return folder

    def test_the_program_gets_in_when_strangers_hold_every_slot(self):
        import subprocess
        import sys
        folder = self.bounds(10.0, 60.0)
        me = os.getpid()
        path = self.serve_in(folder, lambda pid: pid == me)
        # Another process of the same user holds sixteen idle conversations
        # and asks for a seventeenth.
        holder = subprocess.Popen(
            [sys.executable, "-c",
             "import socket, sys\n"
             "held = []\n"
             "for _ in range(16):\n"
             "    c = socket.socket(socket.AF_UNIX); c.connect(sys.argv[1]); held.append(c)\n"
             "extra = socket.socket(socket.AF_UNIX); extra.connect(sys.argv[1]); extra.settimeout(5)\n"
             "print('refused' if extra.recv(1) == b'' else 'served', flush=True)\n"
             "sys.stdin.read()\n", path],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.addCleanup(holder.wait)
        self.addCleanup(holder.stdout.close)
        self.addCleanup(holder.stdin.close)
        self.assertEqual(holder.stdout.readline().strip(), "refused")
        ours = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        ours.settimeout(5)
        ours.connect(path)
        ours.sendall(bridge.frame(b"OSystem") + execute(b"[NEW(1)]"))
        expected = bridge.frame(b"A") + bridge.frame(b"E\x01\x00")
        self.assertEqual(read_exactly(ours, len(expected)), expected)
        ours.close()

    def test_idle_strangers_are_closed_and_the_program_is_not(self):
        import time
        folder = self.bounds(10.0, 0.5)
        path = self.serve_in(folder, lambda pid: False)
        stranger = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        stranger.settimeout(10)
        stranger.connect(path)
        started = time.monotonic()
        self.assertEqual(stranger.recv(10), b"")
        self.assertGreaterEqual(time.monotonic() - started, 0.4)
        stranger.close()

        path = self.serve_in(tempfile.mkdtemp(dir=folder), lambda pid: True)
        ours = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        ours.settimeout(5)
        ours.connect(path)
        time.sleep(1.5)
        ours.sendall(bridge.frame(b"OSystem"))
        self.assertEqual(read_exactly(ours, 5), bridge.frame(b"A"))
        ours.close()

    def test_a_trickled_frame_is_cut_at_the_half_frame_bound(self):
        import time
        folder = self.bounds(1.0, None)
        path = self.serve_in(folder, lambda pid: True)
        client = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        client.settimeout(10)
        client.connect(path)
        # A whole frame and the first byte of the next together: the second
        # frame's time runs from that byte.
        client.sendall(bridge.frame(b"OSystem") + execute(b"[NEW(1)]")[:1])
        self.assertEqual(read_exactly(client, 5), bridge.frame(b"A"))
        started = time.monotonic()
        closed = False
        for byte in execute(b'[FORMULA("' + b"x" * 40 + b'")]')[1:]:
            time.sleep(0.25)
            try:
                client.sendall(bytes([byte]))
            except OSError:
                closed = True
                break
            if time.monotonic() - started > 3:
                break
        client.settimeout(5)
        try:
            closed = closed or client.recv(10) == b""
        except socket.timeout:
            pass
        except OSError:
            closed = True
        self.assertTrue(closed)
        self.assertLess(time.monotonic() - started, 3)
        client.close()


class FakeUno:
    """The office's interface as far as the start needs it: the pipe
    answers once a started office has marked itself up."""

    def __init__(self, marker):
        self.marker = marker
        self.ServiceManager = self

    def getComponentContext(self):
        return self

    def createInstanceWithContext(self, name, context):
        return self if name.endswith("UnoUrlResolver") else "desktop"

    def resolve(self, url):
        if not os.path.exists(self.marker):
            raise RuntimeError("no office on the pipe")
        return self


class CalcStart(unittest.TestCase):
    def start(self, refusals):
        """Connects through an office that ends with 0 at once on its first
        Refusals starts, as one that finds the display refusing clients
        does; the starts made and the desktop reached."""
        import subprocess
        import sys
        folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, folder, True)
        count, marker = os.path.join(folder, "count"), os.path.join(folder, "up")
        office = ("import os, sys, time\n"
                  "n = len(open(sys.argv[1]).read()) if os.path.exists(sys.argv[1]) else 0\n"
                  "open(sys.argv[1], 'a').write('x')\n"
                  "if n < int(sys.argv[3]): sys.exit(0)\n"
                  "open(sys.argv[2], 'w').close()\n"
                  "time.sleep(60)\n")
        backend = bridge.CalcBackend.__new__(bridge.CalcBackend)
        backend.args = [sys.executable, "-c", office, count, marker, str(refusals)]
        saved = sys.modules.get("uno")
        sys.modules["uno"] = FakeUno(marker)
        try:
            backend._start()
            self.addCleanup(backend.process.wait)
            self.addCleanup(backend.process.kill)
            desktop = backend._connect("pipe")
        finally:
            if saved is None:
                del sys.modules["uno"]
            else:
                sys.modules["uno"] = saved
        return len(open(count).read()), desktop

    def test_an_office_that_ends_at_once_is_started_again_after_growing_pauses(self):
        started = time.monotonic()
        starts, desktop = self.start(3)
        self.assertEqual((starts, desktop), (4, "desktop"))
        self.assertGreaterEqual(time.monotonic() - started, sum(bridge.RESTART_PAUSES[:3]))

    def test_an_office_that_never_stays_is_given_up_naming_its_exit(self):
        from unittest import mock
        with mock.patch.object(bridge, "RESTART_PAUSES", (0.01,) * 5), self.assertRaisesRegex(RuntimeError, r"Calc did not start \(it ended with 0\)"):
            self.start(6)

    def test_a_bounded_office_starts_under_its_bound_and_passes_it_on(self):
        import subprocess
        import sys
        folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, folder, True)
        seen = os.path.join(folder, "seen")
        backend = bridge.CalcBackend.__new__(bridge.CalcBackend)
        backend.memory = 1 << 30
        # The office's own start runs the program that does the work.
        backend.args = ["sh", "-c", '"$0" -c "import resource; print(*resource.getrlimit(resource.RLIMIT_AS))" > "$1"',
                        sys.executable, seen]
        backend._start()
        backend.process.wait()
        self.assertEqual(open(seen).read().split(), [str(1 << 30)] * 2)


class Reading(unittest.TestCase):
    def test_the_memory_bound_is_asked_for_or_a_sixteenth_of_the_machine(self):
        from unittest import mock
        total = os.sysconf("SC_PAGE_SIZE") * os.sysconf("SC_PHYS_PAGES")
        for asked, bound in (("", max(1 << 30, total // 16)), ("1536", 1536 << 20), ("0", max(1 << 30, total // 16)),
                             ("lots", max(1 << 30, total // 16))):
            with mock.patch.dict(os.environ, {"DIM_CALC_MEMORY_MB": asked}):
                self.assertEqual(bridge.read_memory_limit(), bound, asked)

    def test_the_reading_service_is_held_to_the_offices_bound_before_it_looks_at_the_file(self):
        import subprocess
        import sys
        folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, folder, True)
        # The office's bridge as the service first meets it: it tells the
        # bound the service runs under and is not there.
        seen = os.path.join(folder, "seen")
        with open(os.path.join(folder, "uno.py"), "w") as f:
            f.write("import resource\n"
                    "open(%r, 'w').write('%%d %%d' %% resource.getrlimit(resource.RLIMIT_AS))\n"
                    "raise ImportError('no bridge')\n" % seen)
        env = dict(os.environ, PYTHONPATH=folder, DIM_CALC_MEMORY_MB="1536")
        done = subprocess.run([sys.executable, os.path.join(HERE, "Excel"), "--read", os.path.join(folder, "a.ods"),
                               "calc8", "", os.path.join(folder, "profile"), "702"], env=env)
        self.assertEqual(done.returncode, bridge.READ_UNAVAILABLE)
        self.assertEqual(open(seen).read(), "%d %d" % (1536 << 20, 1536 << 20))

    def test_what_a_zipped_workbook_unpacks_to(self):
        import zipfile
        folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, folder, True)
        packed, plain = os.path.join(folder, "a.xlsx"), os.path.join(folder, "b.xls")
        with zipfile.ZipFile(packed, "w", zipfile.ZIP_DEFLATED) as z:
            z.writestr("one", " " * 100000)
            z.writestr("two", "x" * 5)
        with open(plain, "wb") as f:
            f.write(b"PK\x03\x04 cut short")
        self.assertEqual(bridge.unpacked_size(packed), 100005)
        self.assertEqual(bridge.unpacked_size(plain), 0)
        self.assertEqual(bridge.unpacked_size(os.path.join(folder, "none")), 0)


if __name__ == "__main__":
    unittest.main()
