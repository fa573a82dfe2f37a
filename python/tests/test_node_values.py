"""Values read from the contents octets, checked against Python's own readings, and the node object's
protocol (indexing, iteration, lifetime)."""

import datetime
import gc

import pytest

import zentrik
from zentrik import ber, der


def _element(tag, contents):
    return bytes([tag, len(contents)]) + contents


@pytest.mark.parametrize("contents", [
    b"\x00", b"\x7f", b"\x80", b"\xff", b"\x00\x80", b"\xff\x7f", b"\x7f" + b"\xff" * 7, b"\x80" + b"\x00" * 7,
    b"\x00\xff" + b"\x01" * 7, b"\xfe" + b"\x01" * 40, b"\x00\x00\x05",  # the last one not minimal
])
def test_integers_are_twos_complement(contents):
    expected = int.from_bytes(contents, "big", signed=True)
    assert der.decode(_element(2, contents)).value == expected
    assert ber.decode(_element(10, contents[:4])).value == int.from_bytes(contents[:4], "big", signed=True)
    assert der.decode(_element(2, b"")).value == 0  # the library reads no octets as zero


def test_identifiers_strings_and_bits():
    arcs = "2.2147483647.0.127.128.16383.16384.4294967295"
    assert der.decode(der.oid(arcs).der).value == arcs
    assert der.decode(der.oid("0.39.1").der).value == "0.39.1"
    assert der.decode(der.oid("1.0").der).value == "1.0"
    # texts are kept by their octets: repeated, near and long identifiers each read as themselves
    near = der.decode(der.sequence([der.oid("1.2.840.113549.1.1.11"), der.oid("1.2.840.113549.1.1.1"),
                                    der.oid("1.2.840.113549.1.1.11")]).der)
    assert [n.value for n in near] == ["1.2.840.113549.1.1.11", "1.2.840.113549.1.1.1", "1.2.840.113549.1.1.11"]
    long_arcs = "1.2." + ".".join(str(4000 + i) for i in range(40))
    assert [der.decode(der.oid(long_arcs).der).value for _ in range(2)] == [long_arcs] * 2
    assert der.decode(_element(0x0C, "Grüße".encode())).value == "Grüße"
    assert der.decode(_element(0x16, b"a@b.example")).value == "a@b.example"
    assert der.decode(_element(0x1E, "Ω".encode("utf-16-be"))).value == "Ω"
    bits = der.decode(_element(3, b"\x03\xa8"))
    assert (bits.value, bits.unused_bits) == (b"\xa8", 3)
    assert (der.decode(b"\x01\x01\x00").value, ber.decode(b"\x01\x01\x01").value) == (False, True)


@pytest.mark.parametrize("tag,text,expected", [
    (0x17, b"491231235959Z", datetime.datetime(2049, 12, 31, 23, 59, 59, tzinfo=datetime.timezone.utc)),
    (0x17, b"5001010000+0130", datetime.datetime(1950, 1, 1, tzinfo=datetime.timezone(
        datetime.timedelta(hours=1, minutes=30)))),
    (0x18, b"20240229120000.5-0800", datetime.datetime(2024, 2, 29, 12, 0, 0, 500000, tzinfo=datetime.timezone(
        datetime.timedelta(hours=-8)))),
    (0x18, b"2024022912", datetime.datetime(2024, 2, 29, 12)),
    (0x18, b"20230229120000Z", "20230229120000Z"),  # no such day
    (0x17, b"2401011200+01", "2401011200+01"),
])
def test_times(tag, text, expected):
    value = der.decode(_element(tag, text)).value
    assert value == expected and type(value) is type(expected)
    if isinstance(expected, datetime.datetime):
        assert value.utcoffset() == expected.utcoffset()


def test_node_protocol():
    data = bytearray(der.sequence([der.integer(1), der.null(), der.boolean(True)]).der)
    root = der.decode(data)
    data[2] = 0x04  # the tree keeps its own copy
    assert len(root) == 3 and [n.tag for n in root] == [2, 5, 1]
    assert root[-1].value is True and root[0].value == 1 and len(root[0]) == 0
    with pytest.raises(IndexError):
        root[3]
    last = root.children[2]
    del root, data
    gc.collect()
    assert last.der == b"\x01\x01\xff" and last.offset == 7 and last.cls == "universal"
    assert repr(last) == "<zentrik.Node universal 1 at 7, 1 octets>"
    with pytest.raises(TypeError):
        zentrik._native.Node()
    with pytest.raises(TypeError):
        der.encode(b"\x05\x00")
    for not_octets in ("abc", None):
        with pytest.raises(TypeError):
            der.decode(not_octets)
    big = der.decode(der.octet_string(bytes(range(256)) * 80).der)  # large enough to drop the GIL
    assert big.value == bytes(range(256)) * 80 and big.header_length == 4 and not big.constructed


@pytest.mark.parametrize("first_access", [
    lambda root: root.children, lambda root: len(root), lambda root: root[1], lambda root: list(root),
])
def test_descendants_made_once_whatever_asks_first(first_access):
    """The root's children are made together with every node below them, by whichever access comes
    first; every later access gives those same nodes."""
    root = ber.decode(bytes.fromhex("3080") + der.sequence([der.integer(300), der.octet_string(b"ab")]).der
                      + der.null().der + bytes(2))
    first_access(root)
    inner, null = root.children
    assert root[0] is inner and list(root)[1] is null and len(root) == 2
    assert isinstance(root, zentrik.Node) and type(inner) is zentrik.Node
    assert root.value is None and root.length is None and inner.children[0].value == 300
    assert [(n.offset, n.header_length, n.length, n.constructed) for n in inner] == [(4, 2, 2, False),
                                                                                   (8, 2, 2, False)]
    assert inner[1].value == b"ab" and null.children == () and null.value is None
    assert isinstance(inner.children, tuple)  # the tree's own children are shared, so they cannot change


def test_large_trees_made_one_level_at_a_time():
    """Below an element with more descendants than are made in one go, each child makes its own
    subtree when first asked; the nodes read the same either way."""
    records = b"".join(b"\x30\x06\x02\x01" + bytes([i % 100]) + b"\x0c\x01" + bytes([65 + i % 26])
                       for i in range(6000))
    root = der.decode(b"\x30\x82" + len(records).to_bytes(2, "big") + records)
    record = root.children[4321]
    assert len(root) == 6000 and isinstance(record, zentrik.Node) and type(record) is not zentrik.Node
    assert (record.offset, record.length, record.value) == (4 + 4321 * 8, 6, None)
    number, text = record.children
    assert type(number) is zentrik.Node and record[0] is number
    assert (number.value, text.value, text.offset) == (21, "F", 4 + 4321 * 8 + 5)
    del root, record
    gc.collect()
    assert number.der == b"\x02\x01\x15" and text.children == ()
