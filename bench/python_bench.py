#!/usr/bin/env python3
"""The Python module against the Python decoders people use, in one process: an RSA-2048 certificate
decoded with every element touched (zentrik, asn1crypto's .native, pyasn1's generic decoder, and the
same walk over a ready tree of plain Python objects, the floor for any decoder used from Python), and,
with --big-file, a 1 GiB BER file walked with every contents octet read. Writes Google Benchmark JSON for report.py."""

import argparse
import json
import os
import time

from asn1crypto import x509
from pyasn1.codec.der import decoder as pyasn1_decoder

import zentrik

GIB = 1 << 30
PIECE = 1 << 16


def touch(node):
    """Reads what a full traversal reads: identifier, position, value and children of every element."""
    count = 1
    node.tag, node.cls, node.offset, node.length, node.value
    for child in node.children:
        count += touch(child)
    return count


class Plain:
    """A node as a plain Python object with fixed slots: what walking any tree from Python costs at least."""
    __slots__ = ("tag", "cls", "offset", "length", "value", "children")

    def __init__(self, node):
        self.tag, self.cls, self.offset, self.length, self.value = node.tag, node.cls, node.offset, node.length, node.value
        self.children = [Plain(child) for child in node.children]


def timed(run, seconds):
    """CPU seconds per call, the best of five rounds of about `seconds` / 5 each."""
    run()
    calls, start = 0, time.process_time()
    while time.process_time() - start < seconds / 10:
        run()
        calls += 1
    calls = max(calls * 2, 1)
    best = float("inf")
    for _ in range(5):
        start = time.process_time()
        for _ in range(calls):
            run()
        best = min(best, (time.process_time() - start) / calls)
    return best


def make_big_file(path):
    """A SEQUENCE holding one OCTET STRING of 1 GiB in segments of 64 KiB, indefinite lengths."""
    if os.path.exists(path) and os.path.getsize(path) > GIB:
        return
    segment = b"\x04\x83\x01\x00\x00" + bytes(range(256)) * (PIECE // 256)
    with open(path, "wb") as out:
        out.write(b"\x30\x80\x24\x80")
        for _ in range(GIB // PIECE):
            out.write(segment)
        out.write(b"\x00\x00\x00\x00")


def walk_everything(path):
    octets = 0
    for element in zentrik.ber.walk(path):
        if not element.constructed:
            while piece := element.read(PIECE):
                octets += len(piece)
    assert octets == GIB
    return octets


def walk_entries(path):
    make_big_file(path)
    elapsed = float("inf")
    for _ in range(3):  # wall clock, best of three: the walk waits for the file as well
        start = time.perf_counter()
        walk_everything(path)
        elapsed = min(elapsed, time.perf_counter() - start)
    return [entry("python_walk_1GiB/zentrik", elapsed, GIB), entry("python_walk_1GiB/one_GB_per_second", GIB / 1e9, GIB)]


def entry(name, seconds, octets):
    return {"name": name, "run_type": "iteration", "iterations": 1, "cpu_time": seconds * 1e9,
            "real_time": seconds * 1e9, "time_unit": "ns", "bytes_per_second": octets / seconds}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--certificate", required=True)
    parser.add_argument("--big-file", help="where the 1 GiB BER file is made and walked; omitted: no walk")
    parser.add_argument("--out", required=True)
    parser.add_argument("--seconds", type=float, default=2.0)
    args = parser.parse_args()

    data = open(args.certificate, "rb").read()
    assert touch(zentrik.der.decode(data)) > 50
    case = "python_cert_rsa2048"
    plain = Plain(zentrik.der.decode(data))
    results = [
        entry(f"{case}/zentrik_full", timed(lambda: touch(zentrik.der.decode(data)), args.seconds), len(data)),
        entry(f"{case}/zentrik_decode", timed(lambda: zentrik.der.decode(data), args.seconds), len(data)),
        entry(f"{case}/asn1crypto_native", timed(lambda: x509.Certificate.load(data).native, args.seconds), len(data)),
        entry(f"{case}/python_slots_walk", timed(lambda: touch(plain), args.seconds), len(data)),
        entry(f"{case}/pyasn1_generic", timed(lambda: pyasn1_decoder.decode(data), args.seconds), len(data)),
    ]
    if args.big_file:
        results += walk_entries(args.big_file)
    with open(args.out, "w") as out:
        json.dump({"context": {}, "benchmarks": results}, out, indent=1)


if __name__ == "__main__":
    main()
