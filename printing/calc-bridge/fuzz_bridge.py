"""Seeded mutation fuzzing of the spreadsheet service's frames, commands and
conversations, without Calc: frames built from well-formed seeds, mutated
(bytes flipped, inserted, dropped, lengths bent, seeds spliced) and fed
whole or in pieces. Every input must end in a frame, a request for more
bytes or Malformed; a command in a tuple of a known form or a refusal; a
conversation in well-formed replies or a close. Workbooks (zips and
compound files) are mutated too: what the reading looks at before the
office has the file (its unpacked size, a password lock) must give an
answer for any bytes, never raise.

    python3 fuzz_bridge.py [--runs N] [--seconds S] [--seed K]

Stops at the first run count or time bound reached and prints the figures;
a failing input is written to the current folder as crash-<seed>-<run>.bin
and the exit status is 1.
"""

import argparse
import importlib.machinery
import importlib.util
import math
import os
import random
import socket
import struct
import sys
import threading
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
loader = importlib.machinery.SourceFileLoader("bridge", os.path.join(HERE, "Excel"))
spec = importlib.util.spec_from_loader("bridge", loader)
bridge = importlib.util.module_from_spec(spec)
loader.exec_module(bridge)


class MemoryBackend:
    def __init__(self):
        self.cells = 0

    def new_document(self):
        pass

    def write_block(self, row, col, rows):
        width = len(rows[0])
        if not (1 <= row <= bridge.MAX_ROWS and 1 <= col <= bridge.MAX_COLS) or width == 0:
            raise AssertionError("block out of the sheet: %r" % ((row, col, len(rows), width),))
        if any(len(values) != width for values in rows):
            raise AssertionError("a block of ragged rows")
        self.cells += width * len(rows)

    def end_frame(self):
        pass

    def show(self, visible):
        pass


COMMANDS = [b"[NEW(1)]", b"[APP.MINIMIZE()]", b"[APP.RESTORE()]", b'[SELECT("R1C1")]',
            b'[SELECT("R1048576C16384")]', b'[SELECT("R12C3")]', b'[FORMULA("1.234,56")]',
            b'[FORMULA("1,234.56")]', b'[FORMULA("\xc1/\xc1")]', b'[FORMULA("")]', b'[FORMULA("=1:3")]',
            b'[FORMULA("-0,5")]', b'[FORMULA("' + b"9" * 320 + b'")]', b"[QUIT()]"]


def execute_payload(commands):
    return b"X" + struct.pack("<H", len(commands)) + b"".join(struct.pack("<H", len(c)) + c for c in commands)


def seeds(rng):
    frames = [bridge.frame(b"OSystem"), bridge.frame(b"OSheet"), bridge.frame(b"O" + b"x" * 255)]
    for _ in range(4):
        frames.append(bridge.frame(execute_payload([rng.choice(COMMANDS) for _ in range(rng.randint(1, 12))])))
    return frames


def mutate(rng, data, pool):
    data = bytearray(data)
    for _ in range(rng.randint(1, 6)):
        op = rng.randrange(9)
        if op == 0 and data:
            data[rng.randrange(len(data))] ^= 1 << rng.randrange(8)
        elif op == 1:
            data.insert(rng.randint(0, len(data)), rng.randrange(256))
        elif op == 2 and data:
            del data[rng.randrange(len(data))]
        elif op == 3 and len(data) >= 4:
            # The frame length bent: off by a little, zero, or past the bound.
            n = rng.choice([0, 1, bridge.MAX_PAYLOAD, bridge.MAX_PAYLOAD + 1, 0xFFFFFFFF,
                            struct.unpack_from("<I", data)[0] + rng.randint(-3, 3)]) & 0xFFFFFFFF
            data[0:4] = struct.pack("<I", n)
        elif op == 4 and len(data) >= 7:
            # A command count or length bent.
            at = rng.randrange(5, len(data) - 1)
            data[at:at + 2] = struct.pack("<H", rng.choice([0, 1, 255, 256, 257, 0xFFFF, rng.randrange(0x10000)]))
        elif op == 5:
            other = rng.choice(pool)
            cut = rng.randint(0, len(other))
            data[rng.randint(0, len(data)):] = other[cut:] if rng.random() < 0.5 else other[:cut]
        elif op == 6:
            data += rng.choice(pool)
        elif op == 7 and data:
            at = rng.randrange(len(data))
            data[at:at] = bytes([rng.choice(b'"()[]RC\x00\n,.0123456789')]) * rng.randint(1, 8)
        elif op == 8 and data:
            del data[rng.randrange(len(data)):]
    return bytes(data)


def check_decode(data):
    buffer, items = data, []
    while True:
        try:
            item, rest = bridge.decode(buffer)
        except bridge.Malformed:
            return items, None
        if item is None:
            if rest != buffer:
                raise AssertionError("a frame asked for more bytes and changed them")
            return items, buffer
        if not (buffer.endswith(rest) and len(rest) < len(buffer)):
            raise AssertionError("the rest of a frame is not the bytes after it")
        kind, value = item
        if kind == "open":
            if not 1 <= len(value) <= 255:
                raise AssertionError("topic of %d bytes" % len(value))
        elif kind == "execute":
            if not 1 <= len(value) <= bridge.MAX_COMMANDS or any(not c for c in value):
                raise AssertionError("execute frame of %d commands" % len(value))
            for command in value:
                check_parse(command)
        else:
            raise AssertionError("unknown item %r" % (kind,))
        items.append(item)
        buffer = rest


def check_parse(command):
    for style in (1, 2):
        parsed = bridge.parse(command, style)
        if parsed is None or parsed in (("new",), ("show", False), ("show", True)):
            continue
        if parsed[0] == "select":
            if not (1 <= parsed[1] <= bridge.MAX_ROWS and 1 <= parsed[2] <= bridge.MAX_COLS):
                raise AssertionError("cell out of the sheet: %r" % (parsed,))
        elif parsed[0] == "put":
            value = parsed[1]
            if isinstance(value, float):
                if not math.isfinite(value):
                    raise AssertionError("a number that is not finite: %r" % (command,))
            elif not isinstance(value, str) or any(ord(c) < 32 or ord(c) == 127 for c in value):
                raise AssertionError("a cell text with control bytes: %r" % (command,))
        else:
            raise AssertionError("unknown command form %r" % (parsed,))


def check_session(items):
    backend = MemoryBackend()
    session = bridge.Session(backend, 2)
    for kind, value in items:
        if kind == "execute":
            ran = session.run(value)
            if not 0 <= ran <= len(value):
                raise AssertionError("ran %d of %d commands" % (ran, len(value)))
    # The cells gathered across the frames go in as rectangles too.
    session.flush()
    if session.has_pending():
        raise AssertionError("cells left after the flush")


def workbook_seeds():
    import io
    import zipfile
    seeds = []
    for names in ((("[Content_Types].xml", b"<Types/>"), ("xl/workbook.xml", b"<workbook/>"),
                   ("xl/worksheets/sheet1.xml", b"<worksheet>" + b" " * 2000 + b"</worksheet>")),
                  (("mimetype", b"application/vnd.oasis.opendocument.spreadsheet"),
                   ("META-INF/manifest.xml", b"<manifest:encryption-data/>"), ("content.xml", b"<x/>"))):
        buffer = io.BytesIO()
        with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as z:
            for name, data in names:
                z.writestr(name, data)
        seeds.append(buffer.getvalue())
    compound = bytearray(b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1".ljust(512, b"\0"))
    compound += b"\x09\x08\x10\x00\x00\x06\x05\x00".ljust(20, b"\0") + b"\x2f\x00"
    seeds.append(bytes(compound.ljust(1024, b"\0")))
    return seeds


def check_workbook(data, path):
    with open(path, "wb") as f:
        f.write(data)
    size = bridge.unpacked_size(path)
    if not isinstance(size, int) or size < 0:
        raise AssertionError("an unpacked size of %r" % (size,))
    if bridge.locked(path) not in (True, False):
        raise AssertionError("a lock that is neither")


def check_conversation(rng, data):
    """The bytes fed in pieces into a conversation: the replies are whole
    frames of the service's kinds, and the conversation ends."""
    server, client = socket.socketpair()
    client.settimeout(5)
    backend = MemoryBackend()
    failure = []

    def run():
        try:
            bridge.serve_connection(server, bridge.Session(backend, 1), idle_timeout=0.2)
        except OSError:
            pass
        except Exception:
            failure.append(traceback.format_exc())
        finally:
            server.close()

    thread = threading.Thread(target=run)
    thread.start()
    replies = b""
    try:
        at = 0
        while at < len(data):
            step = rng.randint(1, max(1, len(data) - at))
            client.sendall(data[at:at + step])
            at += step
        client.shutdown(socket.SHUT_WR)
        while True:
            more = client.recv(65536)
            if not more:
                break
            replies += more
    except OSError:
        pass
    thread.join(10)
    client.close()
    if thread.is_alive():
        raise AssertionError("the conversation did not end")
    if failure:
        raise AssertionError(failure[0])
    while replies:
        item_length = struct.unpack_from("<I", replies)[0] if len(replies) >= 4 else -1
        if item_length < 1 or len(replies) < 4 + item_length:
            raise AssertionError("a reply cut short: %r" % replies[:16])
        payload = replies[4:4 + item_length]
        if not (payload == b"A" or payload == b"Runknown topic" or
                (payload[:1] == b"E" and len(payload) == 3)):
            raise AssertionError("a reply of no known form: %r" % payload[:16])
        replies = replies[4 + item_length:]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=100000)
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--conversations", type=int, default=50,
                        help="one run in this many goes through a conversation too")
    parser.add_argument("--workbooks", type=int, default=20,
                        help="one run in this many checks a mutated workbook too")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    pool = seeds(rng)
    books = workbook_seeds()
    book_path = "fuzz-workbook-%d" % os.getpid()
    started = time.monotonic()
    runs = 0
    while runs < args.runs and time.monotonic() - started < args.seconds:
        data = mutate(rng, rng.choice(pool), pool)
        failing = data
        try:
            items, _ = check_decode(data)
            check_session(items)
            for command in (data, data[4:], data[7:]):
                check_parse(command)
            if runs % args.conversations == 0:
                check_conversation(rng, data)
            if runs % args.workbooks == 0:
                book = mutate(rng, rng.choice(books), books)
                failing = book
                check_workbook(book, book_path)
        except AssertionError:
            name = "crash-%d-%d.bin" % (args.seed, runs)
            with open(name, "wb") as out:
                out.write(failing)
            sys.stderr.write("run %d: %s\ninput written to %s\n" % (runs, traceback.format_exc(), name))
            return 1
        if items and len(pool) < 256 and rng.random() < 0.05:
            pool.append(data)
        runs += 1
    if os.path.exists(book_path):
        os.unlink(book_path)
    elapsed = time.monotonic() - started
    print("%d runs in %.1f s (%.0f a second), seed %d" % (runs, elapsed, runs / max(elapsed, 1e-9), args.seed))
    return 0


if __name__ == "__main__":
    sys.exit(main())
