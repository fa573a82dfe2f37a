"""Base64 as the library writes and reads it: 76-character lines ended by CR LF unless
line_breaks=False; decoding skips what is not Base64 and stops at the padding, unless strict=True,
which refuses any text the lenient decoder would alter (CoderError with the offset)."""

from . import _native


def encode(data, line_breaks=True):
    return _native.base64_encode(data, line_breaks)


def decode(text, strict=False):
    if isinstance(text, str):
        text = text.encode("ascii")
    return _native.base64_decode(text, strict)
