"""The spreadsheet service's commands, frames and sessions, without Calc."""

import importlib.machinery
import importlib.util
import os
import socket
import struct
import threading
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

    def write_row(self, row, col, values):
        self.calls.append((row, col, len(values)))
        for i, v in enumerate(values):
            self.cells[(row, col + i)] = v

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
                        b'[RUN("rm -rf /")]', b'[SELECT("R1C1")] [NEW(1)]', b"[QUIT()]", b""]:
            self.assertIsNone(bridge.parse(command, 1), command)

    def test_numbers_in_both_styles(self):
        cases = [("1.234,56", 2, 1234.56), ("1,234.56", 1, 1234.56), ("  -12,5 ", 2, -12.5),
                 ("1.234", 2, 1234.0), ("1.234", 1, 1.234), ("007", 1, 7.0),
                 ("1.23,4", 2, None), ("12a", 1, None), ("1,234.56", 2, None), ("", 1, None)]
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
        self.assertEqual(backend.cells, {(2, 1): 1234.56, (2, 2): "say 'yes'", (3, 1): "x"})
        self.assertEqual(backend.calls, [(2, 1, 2), (3, 1, 1)])

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


if __name__ == "__main__":
    unittest.main()
