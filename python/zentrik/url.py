"""URL query strings as the library writes and reads them: fields name=value joined by "&", with
"+" for spaces and %XY escapes; with strict=True, decoding refuses a query whose fields would not
come out as they were written."""

from . import _native


def encode(fields):
    """The query string of `fields`: a mapping or an iterable of (name, value) pairs."""
    items = fields.items() if hasattr(fields, "items") else fields
    return _native.url_encode([(str(name), str(value)) for name, value in items])


def decode(query, strict=False):
    """The fields of `query` as a list of (name, value) pairs, in order."""
    return _native.url_decode(query, strict)
