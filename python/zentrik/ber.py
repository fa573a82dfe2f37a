"""BER: decoding into a tree of nodes (indefinite lengths, segmented strings) and the streaming
walk over files of any size.

    for element in zentrik.ber.walk("big.ber"):
        if not element.constructed and element.length > 1 << 20:
            for piece in element.chunks():      # the contents, 64 KiB at a time
                ...
"""

import os

from . import _native


def decode(data):
    """The node tree of `data` (bytes-like), which must hold exactly one BER element."""
    return _native.ber_decode(data)


def walk(source):
    """The elements of a BER or DER file in document order, in bounded memory: `source` is a path or
    a binary file object (anything with readinto), read from where it stands, offsets counted from there.

    Each element gives its tag, cls, constructed, offset, header_length, length (None when
    indefinite) and depth; a primitive one also its contents through read(n), chunks() or value,
    as long as the walk has not moved on to the next element."""
    if hasattr(source, "readinto"):
        return _native.Walk(source)
    path = os.fspath(source)
    open(path, "rb").close()  # OSError (FileNotFoundError, PermissionError) as for any file
    return _native.Walk(path)
