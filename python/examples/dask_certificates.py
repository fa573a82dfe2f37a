#!/usr/bin/env python3
"""Decodes a folder of DER certificates with Dask and counts their public key algorithms and sizes.

    dask_certificates.py FOLDER                         # a LocalCluster of worker processes here
    dask_certificates.py FOLDER --scheduler HOST:8786   # any running Dask cluster
    dask_certificates.py --make-sample 40 FOLDER        # first writes 40 certificates with openssl

Each task decodes one batch of files with zentrik and returns a Counter; the Counters are summed.
On a real cluster the workers need the zentrik module installed and FOLDER visible at the same path
(a shared file system), or the paths replaced by URLs the workers can read."""

import argparse
import collections
import pathlib
import subprocess
import sys
import tempfile

import zentrik

RSA = "1.2.840.113549.1.1.1"
EC = "1.2.840.10045.2.1"
CURVES = {"1.2.840.10045.3.1.7": "P-256", "1.3.132.0.34": "P-384", "1.3.132.0.35": "P-521"}


def key_of(certificate):
    """("RSA", bits), ("EC", curve) or (algorithm OID, None) for one DER certificate."""
    spki = zentrik.der.decode(certificate).children[0]
    spki = [c for c in spki.children if c.cls == "universal"][5]
    algorithm, key = spki.children
    oid = algorithm.children[0].value
    if oid == RSA:
        modulus = zentrik.der.decode(key.value).children[0].value
        return "RSA", modulus.bit_length()
    if oid == EC:
        return "EC", CURVES.get(algorithm.children[1].value, algorithm.children[1].value)
    return oid, None


def count_batch(paths):
    counts = collections.Counter()
    for path in paths:
        try:
            counts[key_of(pathlib.Path(path).read_bytes())] += 1
        except zentrik.CoderError:
            counts[("undecodable", None)] += 1
    return counts


def survey(folder, client, batch=64):
    paths = sorted(str(p) for p in pathlib.Path(folder).glob("*.der"))
    batches = [paths[i:i + batch] for i in range(0, len(paths), batch)]
    futures = client.map(count_batch, batches)
    return sum((f.result() for f in futures), collections.Counter()), len(paths)


def make_sample(folder, count):
    """`count` self-signed certificates with RSA and EC keys of a few sizes, made by openssl."""
    folder.mkdir(parents=True, exist_ok=True)
    kinds = [["-newkey", "rsa:1024"], ["-newkey", "rsa:2048"], ["-newkey", "ec", "-pkeyopt",
             "ec_paramgen_curve:P-256"], ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-384"]]
    with tempfile.TemporaryDirectory() as scratch:
        for i in range(count):
            subprocess.run(["openssl", "req", "-x509", *kinds[i % len(kinds)], "-nodes", "-keyout",
                            f"{scratch}/key.pem", "-outform", "DER", "-out", str(folder / f"cert{i:05d}.der"),
                            "-days", "30", "-subj", f"/CN=sample {i}"], check=True, capture_output=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folder", type=pathlib.Path)
    parser.add_argument("--scheduler", help="address of a running Dask scheduler (default: a LocalCluster)")
    parser.add_argument("--workers", type=int, default=2, help="worker processes of the LocalCluster")
    parser.add_argument("--make-sample", type=int, metavar="N", help="first write N certificates into FOLDER")
    args = parser.parse_args()
    if args.make_sample:
        make_sample(args.folder, args.make_sample)

    from dask.distributed import Client, LocalCluster

    if args.scheduler:
        client = Client(args.scheduler)
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)
    with client:
        counts, total = survey(args.folder, client)
    for (algorithm, size), n in sorted(counts.items(), key=lambda item: (-item[1], str(item[0]))):
        print(f"{n:8d}  {algorithm} {size if size is not None else ''}".rstrip())
    print(f"{total:8d}  certificates")
    return 0 if total and sum(counts.values()) == total else 1


if __name__ == "__main__":
    sys.exit(main())
