"""DER: decoding into a tree of nodes, encoding, and constructors of new elements.

    root = zentrik.der.decode(data)
    root.children[0].children[1].value        # an int, str, bytes, bool, None, datetime or OID
    zentrik.der.encode(zentrik.der.sequence([zentrik.der.integer(5), zentrik.der.null()]))
"""

import datetime as _datetime

from . import _native

_CLASS_BITS = {"universal": 0x00, "application": 0x40, "context": 0x80, "private": 0xC0}
_STRINGS = {
    "utf8_string": 12, "numeric_string": 18, "printable_string": 19, "teletex_string": 20,
    "ia5_string": 22, "visible_string": 26, "universal_string": 28, "bmp_string": 30,
}


def decode(data):
    """The node tree of `data` (bytes-like), which must hold exactly one DER element."""
    return _native.der_decode(data)


def encode(node):
    """The DER octets of `node` (a node of any tree, BER ones re-encoded as DER)."""
    return _native.der_encode(node)


integer = _native.integer
enumerated = _native.enumerated
boolean = _native.boolean
null = _native.null
octet_string = _native.octet_string
oid = _native.oid


def bit_string(data, unused_bits=0):
    return _native.bit_string(data, unused_bits)


def _string_constructor(tag):
    return lambda text: _native.string(tag, text)


for _name, _tag in _STRINGS.items():
    globals()[_name] = _string_constructor(_tag)


def _utc(moment):
    if moment.tzinfo is not None:
        moment = moment.astimezone(_datetime.timezone.utc)
    return moment


def utc_time(moment):
    """UTCTime of a datetime (naive ones are taken as UTC), to the second."""
    return _native.string(23, _utc(moment).strftime("%y%m%d%H%M%SZ"))


def generalized_time(moment):
    """GeneralizedTime of a datetime (naive ones are taken as UTC); fractions of a second kept."""
    moment = _utc(moment)
    text = moment.strftime("%Y%m%d%H%M%S")
    if moment.microsecond:
        text += ("." + f"{moment.microsecond:06d}").rstrip("0")
    return _native.string(24, text + "Z")


def sequence(children):
    """A SEQUENCE of the given nodes."""
    return _native.wrap(0x20, 16, [encode(child) for child in children])


def set_of(children):
    """A SET of the given nodes, in the order DER requires (by their encodings)."""
    return _native.wrap(0x20, 17, sorted(encode(child) for child in children))


def tagged(number, node, explicit=True, cls="context"):
    """`node` tagged [number] of class `cls`: around the element (explicit) or in place of its
    identifier (implicit, the constructed bit kept)."""
    bits = _CLASS_BITS[cls]
    if explicit:
        return _native.wrap(bits | 0x20, number, [encode(node)])
    node = decode(encode(node))
    return _native.wrap(bits | (0x20 if node.constructed else 0), number, [node.contents])
