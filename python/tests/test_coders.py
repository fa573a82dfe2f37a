"""Base64, quoted-printable and URL query strings against Python's base64, quopri and urllib.parse."""

import base64 as py_base64
import quopri
import random
import urllib.parse

import pytest

import zentrik
from zentrik import base64, qp, url

RNG = random.Random(11)
SAMPLES = [b"", b"a", b"ab", b"abc", bytes(range(256)) * 3, RNG.randbytes(100_000)]


@pytest.mark.parametrize("data", SAMPLES, ids=len)
def test_base64_against_python(data):
    assert base64.encode(data, line_breaks=False) == py_base64.b64encode(data)
    lines = base64.encode(data)
    assert lines.replace(b"\r\n", b"") == py_base64.b64encode(data)
    assert all(len(line) <= 76 for line in lines.split(b"\r\n"))
    assert base64.decode(py_base64.encodebytes(data), strict=True) == data
    assert base64.decode(lines.decode()) == data


@pytest.mark.parametrize("data", SAMPLES + [b"caf\xe9 = tab\there\nline two  \n" * 40], ids=len)
def test_quoted_printable_against_python(data):
    assert qp.decode(qp.encode(data)) == data
    assert qp.decode(qp.encode(data, crlf=False), strict=True) == data
    assert quopri.decodestring(qp.encode(data, crlf=False)) == data
    peer_text = quopri.encodestring(data)            # leaves a CR of binary data as it is
    try:
        assert qp.decode(peer_text, strict=True) == data
    except zentrik.CoderError:
        assert qp.decode(peer_text) != data          # refused only where the decoder would alter it


def test_url_against_python():
    fields = [("a", "1"), ("b c", "x/y"), ("name", "a & more=yes"), ("e_f-g", "@.")]
    query = url.encode(fields)
    assert urllib.parse.parse_qsl(query) == fields
    assert url.decode(query, strict=True) == fields
    assert url.decode(urllib.parse.urlencode(fields)) == fields
    assert url.encode(dict(fields)) == query
    assert url.decode(url.encode([("n", "Grüße")]), strict=True) == [("n", "Grüße")]


@pytest.mark.parametrize("decode,text,offset,lenient", [
    (base64.decode, b"aGV*bG8=", 3, b"hel\x1b"[:0] + bytes.fromhex("68655b1b")),
    (base64.decode, b"YQ==\nYWJj\n", 5, b"a"),
    (base64.decode, b"YR==", 1, b"a"),
    (qp.decode, b"caf\xe9 =ZZ", 3, None),
    (url.decode, "a=1&b=%4", 6, None),
    (url.decode, "a.b=1", 1, [("b", "1")]),
])
def test_strict_refuses_what_lenient_decoding_alters(decode, text, offset, lenient):
    with pytest.raises(zentrik.CoderError) as failure:
        decode(text, strict=True)
    assert failure.value.offset == offset and failure.value.message
    if lenient is not None:
        assert decode(text) == lenient
