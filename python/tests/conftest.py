"""Files made by OpenSSL, the peer the module is checked against: certificates, a key, a CRL and
signed CMS messages (BER with indefinite lengths)."""

import pathlib
import subprocess

import pytest


def _openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, capture_output=True)


@pytest.fixture(scope="session")
def pki(tmp_path_factory):
    d = tmp_path_factory.mktemp("pki")
    _openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "rsa.key", "-out", "rsa.pem",
             "-days", "30", "-subj", "/CN=Zentrik test/O=Zentrik/C=DE", "-addext", "subjectAltName=DNS:a.example",
             cwd=d)
    _openssl("req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes", "-keyout",
             "ec.key", "-out", "ec.pem", "-days", "3650", "-subj", "/CN=EC test", cwd=d)
    for name in ("rsa", "ec"):
        _openssl("x509", "-in", f"{name}.pem", "-outform", "DER", "-out", f"{name}.der", cwd=d)
    _openssl("pkcs8", "-topk8", "-nocrypt", "-in", "rsa.key", "-outform", "DER", "-out", "key.der", cwd=d)
    (d / "index.txt").write_text("")
    (d / "ca.cnf").write_text("[ca]\ndefault_ca=z\n[z]\ndatabase=index.txt\ndefault_md=sha256\n"
                              "default_crl_days=30\n")
    _openssl("ca", "-config", "ca.cnf", "-gencrl", "-keyfile", "rsa.key", "-cert", "rsa.pem", "-out", "crl.pem",
             cwd=d)
    _openssl("crl", "-in", "crl.pem", "-outform", "DER", "-out", "crl.der", cwd=d)
    (d / "message.txt").write_bytes(b"hello from zentrik\n" * 200)
    _openssl("cms", "-sign", "-in", "message.txt", "-signer", "rsa.pem", "-inkey", "rsa.key", "-outform", "DER",
             "-stream", "-out", "signed.ber", cwd=d)
    return pathlib.Path(d)


@pytest.fixture(scope="session")
def files(pki):
    return {name: (pki / name).read_bytes() for name in ("rsa.der", "ec.der", "key.der", "crl.der", "signed.ber")}
