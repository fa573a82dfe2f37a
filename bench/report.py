#!/usr/bin/env python3
"""Reads Google Benchmark JSON results and prints the ratios this library / peer as a Markdown table.

A ratio is a speed ratio on the same work (peer time / library time): above 1 the library is faster.
Times are CPU times, which a busy machine disturbs less than wall-clock times.
"""
import argparse
import json
import re
import sys

# (label, library case, peer case, target ratio or None)
RATIOS = [
    ("Base64 encode 1 MiB", "base64_encode_1MiB/zentrik", "base64_encode_1MiB/openssl_EncodeBlock", 3.0),
    ("Base64 encode 1 MiB", "base64_encode_1MiB/zentrik", "base64_encode_1MiB/memcpy", None),
    ("Base64 decode 1 MiB", "base64_decode_1MiB/zentrik", "base64_decode_1MiB/openssl_DecodeBlock", 3.0),
    ("Base64 decode 1 MiB", "base64_decode_1MiB/zentrik", "base64_decode_1MiB/memcpy", None),
    ("Base64 decode CR LF text 1 MiB", "base64_decode_crlf_1MiB/zentrik",
     "base64_decode_crlf_1MiB/openssl_DecodeUpdate", 5.0),
    ("Base64 decode CR LF text 64 MiB", "base64_decode_crlf_64MiB/zentrik",
     "base64_decode_crlf_64MiB/openssl_DecodeUpdate", 5.0),
    ("Base64OutputStream 64 MiB, 64 KiB chunks", "base64_output_stream_64MiB/zentrik",
     "base64_output_stream_64MiB/openssl_EncodeUpdate", None),
    ("Base64OutputStream 64 MiB, 64 KiB chunks", "base64_output_stream_64MiB/zentrik",
     "base64_output_stream_64MiB/memcpy", None),
    ("Base64InputStream 64 MiB, 64 KiB chunks", "base64_input_stream_64MiB/zentrik",
     "base64_input_stream_64MiB/openssl_DecodeUpdate", None),
    ("Base64InputStream 64 MiB, 64 KiB chunks", "base64_input_stream_64MiB/zentrik",
     "base64_input_stream_64MiB/memcpy", None),
    ("Base64OutputStream 64 MiB, 64 KiB chunks", "base64_output_stream_64MiB/zentrik",
     "base64_output_stream_64MiB/zentrik_coder", 0.75),
    ("Base64InputStream 64 MiB, 64 KiB chunks", "base64_input_stream_64MiB/zentrik",
     "base64_input_stream_64MiB/zentrik_coder", 0.75),
    ("Base64OutputStream 1 MiB, 64 KiB chunks", "base64_output_stream_1MiB/zentrik",
     "base64_output_stream_1MiB/zentrik_coder", 0.75),
    ("Base64InputStream 1 MiB, 64 KiB chunks", "base64_input_stream_1MiB/zentrik",
     "base64_input_stream_1MiB/zentrik_coder", 0.75),
    ("QP encode text 1 MiB", "qp_encode_text_1MiB/zentrik", "qp_encode_text_1MiB/python_b2a_qp", 3.0),
    ("QP encode text 1 MiB", "qp_encode_text_1MiB/zentrik", "qp_encode_text_1MiB/memcpy", None),
    ("QP decode text 1 MiB", "qp_decode_text_1MiB/zentrik", "qp_decode_text_1MiB/python_a2b_qp", 3.0),
    ("QP decode text 1 MiB", "qp_decode_text_1MiB/zentrik", "qp_decode_text_1MiB/memcpy", None),
    ("QP encode random 1 MiB", "qp_encode_random_1MiB/zentrik", "qp_encode_random_1MiB/memcpy", None),
    ("QP decode random 1 MiB", "qp_decode_random_1MiB/zentrik", "qp_decode_random_1MiB/memcpy", None),
]
for cert, name in (("rsa2048", "RSA-2048"), ("p256", "P-256")):
    prefix = f"der_cert_{cert}_"
    RATIOS += [
        (f"{name} cert decode, full depth", prefix + "decode/zentrik_full", prefix + "decode/openssl_template", 4.0),
        (f"{name} cert decode, full depth", prefix + "decode/zentrik_full", prefix + "decode/openssl_generic_full", 6.0),
        (f"{name} cert decode, full depth", prefix + "decode/zentrik_full", prefix + "decode/openssl_d2i_X509", None),
        (f"{name} cert decode, full depth", prefix + "decode/zentrik_full", prefix + "decode/openssl_get_object_walk",
         None),
        (f"{name} cert decode, [0] [3] kept as encodings", prefix + "decode/zentrik", prefix + "decode/openssl_template",
         None),
        (f"{name} cert encode, full depth", prefix + "encode/zentrik_full", prefix + "encode/openssl_template", None),
        (f"{name} cert decode + encode, full depth", prefix + "decode_encode/zentrik_full",
         prefix + "decode_encode/openssl_template", 4.0),
    ]
RATIOS += [
    ("BER indefinite SEQUENCE, 10,000 components", "ber_indefinite_sequence_10000/zentrik",
     "ber_indefinite_sequence_10000/openssl_generic", 4.0),
    ("BER indefinite SEQUENCE, 10,000 components", "ber_indefinite_sequence_10000/zentrik",
     "ber_indefinite_sequence_10000/openssl_get_object_walk", None),
    ("BER nested [0] indefinite (readTillDoubleZero)", "ber_nested_tagged_read_till_double_zero/zentrik",
     "ber_nested_tagged_read_till_double_zero/openssl_d2i_ASN1_TYPE", None),
    ("BER nested [0] indefinite (readTillDoubleZero)", "ber_nested_tagged_read_till_double_zero/zentrik",
     "ber_nested_tagged_read_till_double_zero/openssl_get_object_walk", None),
    ("IOU write 256 MiB (streamed OCTET STRING)", "stream_write_256MiB/zentrik", "stream_256MiB/memcpy", 0.25),
    ("IOU write 256 MiB (streamed OCTET STRING)", "stream_write_256MiB/zentrik", "stream_256MiB/memcpy_64KiB_pieces",
     None),
    ("IOU read 256 MiB (getData per segment)", "stream_read_256MiB/zentrik", "stream_256MiB/memcpy", 0.25),
    ("IOU read 256 MiB (getData per segment)", "stream_read_256MiB/zentrik", "stream_256MiB/memcpy_64KiB_pieces",
     None),
]

# The Python module (bench/python_bench.py): decoding with every element touched against asn1crypto's
# .native and pyasn1's generic decoder; the walk of a 1 GiB file against a plain 1 GB/s.
RATIOS += [
    ("Python: RSA-2048 cert, decode + touch every element", "python_cert_rsa2048/zentrik_full",
     "python_cert_rsa2048/asn1crypto_native", 30.0),
    ("Python: RSA-2048 cert, decode + touch every element", "python_cert_rsa2048/zentrik_full",
     "python_cert_rsa2048/pyasn1_generic", 300.0),
    ("Python: RSA-2048 cert, decode only", "python_cert_rsa2048/zentrik_decode",
     "python_cert_rsa2048/pyasn1_generic", None),
    # The floor: touching every element of a ready tree of plain Python objects with __slots__.
    ("Python: RSA-2048 cert, decode + touch vs touching a plain __slots__ tree", "python_cert_rsa2048/zentrik_full",
     "python_cert_rsa2048/python_slots_walk", None),
    ("Python: walk a 1 GiB BER file, every octet read", "python_walk_1GiB/zentrik",
     "python_walk_1GiB/one_GB_per_second", 1.0),
]

# (label, case, least throughput in octets per second): targets on a throughput of its own.
RATES = [
    ("QP encode text 1 MiB", "qp_encode_text_1MiB/zentrik", 1.5e9),
    ("QP decode text 1 MiB", "qp_decode_text_1MiB/zentrik", 1.5e9),
]

# (label, case, judged relative to memcpy). A series bound by memory bandwidth (an OCTET STRING is one
# copy) slows down with the caches as n grows, as memcpy does: it is judged against memcpy of the same
# size. A series bound by work per element is judged on its own time per octet. Both from n = 64 KiB on,
# where the fixed cost of a call is amortised; what counts is growth (a quadratic step shows as a rise).
SCALING = [
    ("SEQUENCE of INTEGERs, decode", "scaling_sequence_of_integers_decode", False),
    ("SEQUENCE of INTEGERs, encode", "scaling_sequence_of_integers_encode", False),
    ("OCTET STRING, decode", "scaling_octet_string_decode", True),
    ("OCTET STRING, encode", "scaling_octet_string_encode", True),
    ("memcpy (reference)", "scaling_memcpy", None),
]
SCALING_LIMIT = 1.5

# (label, case without its thread suffix, target): items per second on two threads over one thread.
THREADS = [
    ("RSA-2048 cert decode, full depth", "der_cert_rsa2048_decode_threads/zentrik_full", 1.7),
    ("RSA-2048 cert decode, OpenSSL template (the machine's own scaling)",
     "der_cert_rsa2048_decode_threads/openssl_template", None),
]

# (label, kind, target in bytes): heap held per decoded element at the peak, library and OpenSSL's
# generic decoder of the same SEQUENCE (counter heap_bytes_per_element).
HEAP = [
    ("INTEGER (2 contents octets)", "heap_integer", 64),
    ("BOOLEAN", "heap_boolean", 64),
    ("PrintableString (8 characters)", "heap_printable_string_8", 64),
    ("OBJECT IDENTIFIER (8 contents octets)", "heap_object_identifier", 64),
]

UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def load(paths):
    runs, context = {}, {}
    for path in paths:
        with open(path) as f:
            data = json.load(f)
        context = context or data.get("context", {})
        for b in data.get("benchmarks", []):
            # Plain runs go by their name; of repeated runs only the median is kept, under the run's name.
            name = b["name"]
            if b.get("run_type", "iteration") == "aggregate":
                if b.get("aggregate_name") != "median":
                    continue
                name = re.sub(r"/repeats:\d+$", "", b["run_name"])
            if b.get("error_occurred"):
                runs[name] = {"error": b.get("error_message", "error")}
                continue
            runs[name] = {
                "ns": b["cpu_time"] * UNIT_NS[b.get("time_unit", "ns")],
                "bytes_per_second": b.get("bytes_per_second"),
                "items_per_second": b.get("items_per_second"),
                "heap_bytes_per_element": b.get("heap_bytes_per_element"),
            }
    return runs, context


def rate(run):
    if run.get("bytes_per_second"):
        value = run["bytes_per_second"]
        for unit in ("B/s", "KiB/s", "MiB/s", "GiB/s"):
            if value < 1024 or unit == "GiB/s":
                return f"{value:.1f} {unit}" if unit != "B/s" else f"{value:.0f} B/s"
            value /= 1024
    return f"{run['ns']:.0f} ns"


def threads_table(runs, out, missed):
    out.append("")
    out.append("Threads: items per second on two threads, each decoding on its own, over one thread "
               "(wall-clock time).")
    out.append("")
    out.append("| case | 1 thread | 2 threads | scaling | target |")
    out.append("|---|---|---|---|---|")
    for label, case, target in THREADS:
        one = runs.get(f"{case}/real_time/threads:1")
        two = runs.get(f"{case}/real_time/threads:2")
        if not one or not two or "error" in one or "error" in two or not one.get("items_per_second"):
            out.append(f"| {label} | – | – | not run | |")
            continue
        scaling = two["items_per_second"] / one["items_per_second"]
        verdict = ""
        if target:
            verdict = f"≥ {target:g}× {'met' if scaling >= target else 'MISSED'}"
            if scaling < target:
                missed.append(f"{label} on 2 threads: {scaling:.2f}× (target {target:g}×)")
        out.append(f"| {label} | {one['items_per_second'] / 1e6:.2f} M items/s | "
                   f"{two['items_per_second'] / 1e6:.2f} M items/s | {scaling:.2f}× | {verdict} |")


def heap_table(runs, out, missed):
    out.append("")
    out.append("Memory: heap held per decoded element at the peak of decoding a SEQUENCE of 100,000 of them "
               "(usable block sizes; the library counted in front of malloc, plus the pages its small "
               "values are cut from, whole pages; OpenSSL's generic decoder through CRYPTO_set_mem_functions).")
    out.append("")
    out.append("| element | this library | OpenSSL generic | target |")
    out.append("|---|---|---|---|")
    for label, kind, target in HEAP:
        mine = (runs.get(f"{kind}/zentrik/iterations:1") or {}).get("heap_bytes_per_element")
        peer = (runs.get(f"{kind}/openssl_generic/iterations:1") or {}).get("heap_bytes_per_element")
        if mine is None:
            out.append(f"| {label} | not run | | |")
            continue
        ok = mine <= target
        if not ok:
            missed.append(f"heap per {label}: {mine:.1f} bytes (target ≤ {target} bytes)")
        peer_text = f"{peer:.1f} bytes" if peer is not None else "–"
        out.append(f"| {label} | {mine:.1f} bytes | {peer_text} | ≤ {target} bytes {'met' if ok else 'MISSED'} |")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--machine", default="unknown machine")
    parser.add_argument("results", nargs="+")
    args = parser.parse_args()
    runs, context = load(args.results)

    out = []
    out.append(f"Machine: {args.machine}; library build: Release -O2, no -march=native; "
               f"{context.get('date', '')}; load average {context.get('load_avg', '?')}")
    out.append("")
    out.append("| case | this library | peer | peer result | ratio (library / peer) | target |")
    out.append("|---|---|---|---|---|---|")
    missed = []
    for label, mine, peer, target in RATIOS:
        a, b = runs.get(mine), runs.get(peer)
        peer_name = peer.split("/", 1)[1]
        if not a or not b or "error" in a or "error" in b:
            why = (a or {}).get("error") or (b or {}).get("error") or "not run"
            out.append(f"| {label} | – | {peer_name} | – | {why} | {'≥ %g×' % target if target else ''} |")
            continue
        ratio = b["ns"] / a["ns"]
        verdict = ""
        if target:
            ok = ratio >= target
            verdict = f"≥ {target:g}× {'met' if ok else 'MISSED'}"
            if not ok:
                missed.append(f"{label} vs {peer_name}: {ratio:.2f}× (target {target:g}×)")
        out.append(f"| {label} | {rate(a)} | {peer_name} | {rate(b)} | {ratio:.2f}× | {verdict} |")

    out.append("")
    out.append("| case | this library | target |")
    out.append("|---|---|---|")
    for label, case_name, least in RATES:
        run = runs.get(case_name)
        if not run or "error" in run or not run.get("bytes_per_second"):
            out.append(f"| {label} | – | ≥ {least / 1e9:g} GB/s |")
            continue
        speed = run["bytes_per_second"]
        ok = speed >= least
        if not ok:
            missed.append(f"{label}: {speed / 1e9:.2f} GB/s (target {least / 1e9:g} GB/s)")
        out.append(f"| {label} | {speed / 1e9:.2f} GB/s | ≥ {least / 1e9:g} GB/s {'met' if ok else 'MISSED'} |")

    out.append("")
    out.append("Scaling: time per octet of the encoding, n = 1 KiB … 64 MiB. Growth is the largest rise of the "
               "time per octet from a smaller n to a larger one, from 64 KiB on (below, the fixed cost of a call "
               f"dominates); flat means growth within {SCALING_LIMIT}×. Per-element series are judged on their own, "
               "copy-bound series (OCTET STRING) relative to memcpy of the same size, which slows down with the "
               "caches as well.")
    out.append("")
    sizes = [1 << 10, 1 << 16, 1 << 22, 1 << 26]
    out.append("| series | " + " | ".join(f"n = {n // 1024} KiB" if n < (1 << 20) else f"n = {n >> 20} MiB"
                                            for n in sizes) +
               " | max/min, all n | growth, n ≥ 64 KiB | growth relative to memcpy | verdict |")
    out.append("|---|" + "---|" * (len(sizes) + 4))
    reference = {n: runs.get(f"scaling_memcpy/{n}") for n in sizes}

    def growth(values):
        rises = [values[j] / values[i] for i in range(len(values)) for j in range(i + 1, len(values))]
        return max(rises) if rises else float("nan")

    for label, prefix, relative_to_memcpy in SCALING:
        per_octet, relative = {}, {}
        for n in sizes:
            run = runs.get(f"{prefix}/{n}")
            if run and "error" not in run:
                per_octet[n] = run["ns"] / n
                ref = reference.get(n)
                if ref and "error" not in ref:
                    relative[n] = run["ns"] / ref["ns"]
        cells = [f"{per_octet[n]:.3g} ns" if n in per_octet else "–" for n in sizes]
        if not per_octet:
            out.append(f"| {label} | " + " | ".join(cells) + " | | | | not run |")
            continue
        every = list(per_octet.values())
        spread = max(every) / min(every)
        rise = growth([per_octet[n] for n in sizes[1:] if n in per_octet])
        relative_rise = growth([relative[n] for n in sizes[1:] if n in relative])
        verdict = ""
        if relative_to_memcpy is not None:
            judged = relative_rise if relative_to_memcpy else rise
            verdict = "flat" if judged <= SCALING_LIMIT else "MISSED"
            if verdict == "MISSED":
                missed.append(f"scaling of {label}: grows {judged:.2f}× (limit {SCALING_LIMIT}×)")
        out.append(f"| {label} | " + " | ".join(cells) +
                   f" | {spread:.2f}× | {rise:.2f}× | {relative_rise:.2f}× | {verdict} |")

    threads_table(runs, out, missed)
    heap_table(runs, out, missed)
    out.append("")
    out.append("Targets missed: " + ("none" if not missed else "; ".join(missed)))
    print("\n".join(out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
