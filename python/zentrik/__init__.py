"""ZentrikCoders for Python: ASN.1 DER and BER decoding into node trees, DER encoding, a streaming
walk over BER files of any size, and the Base64, quoted-printable and URL query-string coders."""

from ._errors import CoderError
from ._native import Node, WalkedElement
from . import der, ber, base64, qp, url

__all__ = ["CoderError", "Node", "WalkedElement", "der", "ber", "base64", "qp", "url"]
