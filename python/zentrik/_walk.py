"""Pieces of a walked element's contents, as an iterator."""


def chunks(element, size=65536):
    while True:
        piece = element.read(size)
        if not piece:
            return
        yield piece
