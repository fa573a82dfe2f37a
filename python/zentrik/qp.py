"""Quoted-printable as the library writes and reads it: soft line breaks "=" CR LF, or "=" LF with
crlf=False; with strict=True, decoding refuses text the lenient decoder would read otherwise."""

from . import _native


def encode(data, crlf=True):
    return _native.qp_encode(data, crlf)


def decode(text, strict=False):
    if isinstance(text, str):
        text = text.encode("latin-1")
    return _native.qp_decode(text, strict)
