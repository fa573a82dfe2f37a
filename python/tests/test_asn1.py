"""Node trees checked against asn1crypto on OpenSSL-made files, encoding, constructors, bad input."""

import datetime
import random

import pytest
from asn1crypto import cms, core, crl, keys, parser, x509

import zentrik
from zentrik import ber, der

CLASSES = {0: "universal", 1: "application", 2: "context", 3: "private"}


def same_tree(node, octets):
    """Compares a node with asn1crypto's parse of the same octets, element by element."""
    cls, method, tag, header, contents, trailer = parser.parse(octets, strict=True)
    assert (node.cls, node.constructed, node.tag) == (CLASSES[cls], bool(method), tag)
    assert (node.header_length, node.contents) == (len(header), contents)
    assert node.length == (None if trailer else len(contents))
    if not method:
        return 1
    count, children = 1, node.children
    for child in children:
        size = parser.peek(contents)
        assert child.der == contents[:size]
        count += same_tree(child, contents[:size])
        contents = contents[size:]
    assert contents == b""
    return count


@pytest.mark.parametrize("name", ["rsa.der", "ec.der", "key.der", "crl.der", "signed.ber"])
def test_trees_match_asn1crypto(files, name):
    data = files[name]
    root = (ber if name.endswith(".ber") else der).decode(data)
    assert root.offset == 0 and len(root.der) == len(data)
    assert same_tree(root, data) >= 6


def test_certificate_values_match_asn1crypto(files):
    for name in ("rsa.der", "ec.der"):
        cert = x509.Certificate.load(files[name])
        tbs = der.decode(files[name]).children[0]
        version, serial, algorithm, issuer, validity, subject, spki = tbs.children[:7]
        assert version.children[0].value == 2
        assert serial.value == cert.serial_number
        assert algorithm.children[0].value == cert["signature_algorithm"]["algorithm"].dotted
        assert [c.value for c in validity.children] == [cert.not_valid_before, cert.not_valid_after]
        names = {rdn[0][0].value: rdn[0][1].value for rdn in subject.children}
        assert names["2.5.4.3"] == cert.subject.native["common_name"]
        assert spki.children[1].value == cert.public_key["public_key"].contents[1:]
        assert spki.children[1].unused_bits == 0
    key = keys.PrivateKeyInfo.load(files["key.der"])
    modulus = der.decode(der.decode(files["key.der"]).children[2].value).children[1].value
    assert modulus == key["private_key"].parsed["modulus"].native


def test_crl_and_cms_values(files):
    revoked = crl.CertificateList.load(files["crl.der"])
    this_update = der.decode(files["crl.der"]).children[0].children[2].value
    assert this_update == revoked["tbs_cert_list"]["this_update"].native
    info = cms.ContentInfo.load(files["signed.ber"])
    root = ber.decode(files["signed.ber"])
    assert root.children[0].value == info["content_type"].dotted
    content = root.children[1].children[0].children[2].children[1].children[0]
    assert content.value == info["content"]["encap_content_info"]["content"].native


def test_encode_gives_der(files):
    for name in ("rsa.der", "ec.der", "crl.der"):
        assert der.encode(der.decode(files[name])) == files[name]
        assert der.encode(der.decode(memoryview(bytearray(files[name])))) == files[name]
    ber_root = ber.decode(files["signed.ber"])
    expected = cms.ContentInfo.load(files["signed.ber"]).dump(force=True)
    assert der.encode(ber_root) == expected
    assert der.decode(expected).children[0].value == ber_root.children[0].value


def test_constructors_match_asn1crypto():
    numbers = [0, 1, -1, 127, 128, -128, -129, 2**64, -(2**200) + 3]
    for n in numbers:
        assert der.integer(n).der == core.Integer(n).dump()
        assert der.decode(der.integer(n).der).value == n
    moment = datetime.datetime(2031, 5, 6, 7, 8, 9, 250000, tzinfo=datetime.timezone.utc)
    peers = [core.ObjectIdentifier("2.999.3"), core.UTF8String("Grüße"), core.PrintableString("ab c"),
             core.Null(), core.Boolean(True), core.OctetString(b"\x00\x01"), core.GeneralizedTime(moment),
             core.UTCTime(moment.replace(microsecond=0))]
    ours = [der.oid("2.999.3"), der.utf8_string("Grüße"), der.printable_string("ab c"), der.null(),
            der.boolean(True), der.octet_string(b"\x00\x01"), der.generalized_time(moment),
            der.utc_time(moment)]
    assert [n.der for n in ours] == [p.dump() for p in peers]
    assert [n.value for n in ours[-2:]] == [moment, moment.replace(microsecond=0)]
    assert der.sequence(ours).der == core.Sequence.load(b"\x30" + _length(peers) + b"".join(
        p.dump() for p in peers)).dump(force=True)
    assert der.set_of([der.integer(300), der.integer(2)]).der == bytes.fromhex("31070201020202012c")
    assert der.tagged(1, der.integer(5)).der == bytes.fromhex("a103020105")
    assert der.tagged(1, der.integer(5), explicit=False, cls="private").der == bytes.fromhex("c10105")


def _length(peers):
    size = sum(len(p.dump()) for p in peers)
    return bytes([size]) if size < 128 else bytes([0x81, size])


@pytest.mark.parametrize("data,number,offset", [
    (b"", 13, 0),
    (b"\x30\x05\x02\x01\x05", 26, 0),                     # contents end before their length
    (b"\x30\x04\x04\x05abc\x00", 28, 2),                  # a component past its SEQUENCE
    (b"\x02\x01\x05\x00", 30, 3),                         # octets after the element
    (b"\x30\x80\x00\x00", 20, 0),                         # indefinite length in DER
    (b"\x9f\x80\x05\x00", 30, 0),                         # a tag number padded with 0x80
    (b"\x04\x89\x01" + b"\x00" * 8, 27, 0),               # a length beyond 63 bits
    (b"\x30\x80" * 300, 25, None),                        # nested too deeply
])
def test_bad_structure_raises_coder_error(data, number, offset):
    with pytest.raises(zentrik.CoderError) as failure:
        ber.decode(data) if data.startswith(b"\x30\x80\x30") else der.decode(data)
    assert failure.value.number == number
    if offset is not None:
        assert failure.value.offset == offset


def test_bad_values_raise_coder_error():
    for data, number in [(b"\x01\x01\x05", 8), (b"\x06\x01\x80", 30), (b"\x05\x01\x00", 9)]:
        with pytest.raises(zentrik.CoderError) as failure:
            der.decode(data)
        assert failure.value.number == number and failure.value.operation
    # Inside a tagged element the library leaves whole, a bad value is refused when it is read,
    # and only then: the structure around it stays readable.
    for data in (b"\x30\x05\xa0\x03\x01\x01\x05", b"\x30\x07\x05\x00\xa0\x03\x01\x01\x05"):
        boolean = der.decode(data).children[-1].children[0]
        assert (boolean.tag, boolean.offset, boolean.children) == (1, len(data) - 3, ())
        with pytest.raises(zentrik.CoderError) as failure:
            boolean.value
        assert failure.value.number == 8


def test_mutated_input_never_crashes(files):
    """Every corrupted certificate or CMS message decodes or raises CoderError, nothing else."""
    rng = random.Random(7)
    for name, decode in (("rsa.der", der.decode), ("signed.ber", ber.decode)):
        data = files[name]
        for _ in range(1500):
            damaged = bytearray(data[: rng.randrange(1, len(data) + 1)])
            for _ in range(rng.randrange(1, 4)):
                damaged[rng.randrange(len(damaged))] = rng.randrange(256)
            try:
                touch(decode(bytes(damaged)))
            except zentrik.CoderError:
                pass


def touch(node):
    node.value
    for child in node.children:
        touch(child)
