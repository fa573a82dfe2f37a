#!/usr/bin/env python3
"""Times Python's binascii.b2a_qp and a2b_qp on the mail-like text that bench_qp wrote (text.bin and
its encoding text.qp in the folder given) and writes the times as Google Benchmark JSON, under the
case names report.py compares the library with.

b2a_qp runs with istext=False, so that it escapes the line breaks of the data as the library's
encoder does; a2b_qp decodes the library's encoding. Times are CPU times, the best of several rounds.
"""
import binascii
import json
import sys
import time


def cpu_ns_per_call(call, rounds=7, min_seconds=0.1):
    best = float("inf")
    for _ in range(rounds):
        calls, start = 0, time.process_time_ns()
        while True:
            call()
            calls += 1
            elapsed = time.process_time_ns() - start
            if elapsed >= min_seconds * 1e9:
                break
        best = min(best, elapsed / calls)
    return best


def case(name, ns, octets):
    return {"name": name, "run_type": "iteration", "iterations": 1, "cpu_time": ns, "real_time": ns,
            "time_unit": "ns", "bytes_per_second": octets / ns * 1e9}


def main():
    folder, out = sys.argv[1], sys.argv[2]
    with open(f"{folder}/text.bin", "rb") as f:
        raw = f.read()
    with open(f"{folder}/text.qp", "rb") as f:
        encoded = f.read()
    if binascii.a2b_qp(encoded) != raw:
        sys.exit("qp_binascii.py: a2b_qp does not give the text back from the library's encoding")
    if binascii.a2b_qp(binascii.b2a_qp(raw, istext=False)) != raw:
        sys.exit("qp_binascii.py: b2a_qp does not round-trip the text")
    encode_ns = cpu_ns_per_call(lambda: binascii.b2a_qp(raw, istext=False))
    decode_ns = cpu_ns_per_call(lambda: binascii.a2b_qp(encoded))
    # Throughputs count octets of the original data, as bench_qp's do.
    benchmarks = [case("qp_encode_text_1MiB/python_b2a_qp", encode_ns, len(raw)),
                  case("qp_decode_text_1MiB/python_a2b_qp", decode_ns, len(raw))]
    with open(out, "w") as f:
        json.dump({"context": {}, "benchmarks": benchmarks}, f, indent=1)


if __name__ == "__main__":
    main()
