import os
from typing import BinaryIO, Union

from ._native import BytesLike, Node, Walk

def decode(data: BytesLike) -> Node: ...
def walk(source: Union[str, os.PathLike[str], BinaryIO]) -> Walk: ...
