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


def walk(path):
    """The elements of the BER or DER file at `path` in document order, in bounded memory.

    Each element gives its tag, cls, constructed, offset, header_length, length (None when
    indefinite) and depth; a primitive one also its contents through read(n), chunks() or value,
    as long as the walk has not moved on to the next element."""
    path = os.fspath(path)
    open(path, "rb").close()  # OSError (FileNotFoundError, PermissionError) as for any file
    return _native.Walk(path)
