"""The streaming walk over files: the same elements as the whole-buffer decoder, contents in pieces."""

import io

import pytest

import zentrik
from zentrik import ber, der


def flatten(node, depth=0):
    yield node, depth
    for child in node.children:
        yield from flatten(child, depth + 1)


def test_walk_matches_decoded_tree(tmp_path, files):
    for name in ("rsa.der", "signed.ber"):
        path = tmp_path / name
        path.write_bytes(files[name])
        tree = [(n.offset, n.tag, n.cls, n.constructed, n.header_length, n.length, d,
                 None if n.constructed else n.value) for n, d in flatten(ber.decode(files[name]))]
        for source in (path, io.BytesIO(files[name])):
            walked = [(e.offset, e.tag, e.cls, e.constructed, e.header_length, e.length, e.depth,
                       None if e.constructed else e.value) for e in ber.walk(source)]
            assert walked == tree


def segmented(data, piece):
    parts = [der.octet_string(data[i:i + piece]).der for i in range(0, len(data), piece)]
    return b"\x24\x80" + b"".join(parts) + b"\x00\x00"


def test_walk_reads_large_contents_in_pieces(tmp_path):
    payload = bytes(range(256)) * 20_000                       # 5 MB
    body = der.integer(7).der + segmented(payload, 1 << 20) + der.octet_string(payload).der
    path = tmp_path / "big.ber"
    path.write_bytes(b"\x30\x80" + body + b"\x00\x00")
    with open(path, "rb") as file:  # a file object, read through more than one refill of the buffer
        for elements in (list_with_contents(ber.walk(path)), list_with_contents(ber.walk(file))):
            assert [e[0] for e in elements] == [(16, 0), (2, 1), (4, 1), (4, 2), (4, 2), (4, 2), (4, 2), (4, 2),
                                                (4, 1)]
            assert elements[1][1] == 7
            assert b"".join(e[1] for e in elements[3:8]) == payload and elements[8][1] == payload


def test_walk_over_bad_file_objects():
    stream = io.BytesIO(b"\x30\x06\x02\x01\x05\x02")
    with pytest.raises(zentrik.CoderError) as failure:
        list(ber.walk(stream))
    assert failure.value.number == 26

    class NothingReady(io.RawIOBase):
        def readinto(self, room):
            return None

    with pytest.raises(ValueError, match="no data ready"):
        list(ber.walk(NothingReady()))


def list_with_contents(walk):
    found = []
    for e in walk:
        if e.constructed:
            found.append(((e.tag, e.depth), None))
        elif e.length <= 8:
            found.append(((e.tag, e.depth), e.value))
        else:
            pieces = list(e.chunks())
            assert max(len(p) for p in pieces) <= 65536
            found.append(((e.tag, e.depth), b"".join(pieces)))
    return found


@pytest.mark.parametrize("data,number", [
    (b"\x30\x80\x02\x01\x05", 26),                         # end-of-contents missing
    (b"\x30\x03\x04\x05abc", 28),                          # a component past its SEQUENCE
    (b"\x04\x05ab", 26),                                   # contents cut short
    (b"\x00\x00", 30),                                     # end-of-contents at the top
])
def test_walk_refuses_broken_files(tmp_path, data, number):
    path = tmp_path / "bad.ber"
    path.write_bytes(data)
    with pytest.raises(zentrik.CoderError) as failure:
        for e in ber.walk(path):
            if not e.constructed:
                b"".join(e.chunks())
    assert failure.value.number == number


def test_walk_of_a_missing_file(tmp_path):
    with pytest.raises(FileNotFoundError):
        ber.walk(tmp_path / "absent.ber")


def test_contents_only_while_current(tmp_path):
    path = tmp_path / "two.ber"
    path.write_bytes(der.sequence([der.octet_string(b"abc"), der.integer(1)]).der)
    walk = ber.walk(path)
    next(walk)
    first = next(walk)
    assert first.read(2) == b"ab"
    with pytest.raises(zentrik.CoderError):
        first.value                                        # partly read already
    next(walk)
    with pytest.raises(zentrik.CoderError):
        first.read()
