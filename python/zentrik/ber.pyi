import os
from typing import Union

from ._native import BytesLike, Node, Walk

def decode(data: BytesLike) -> Node: ...
def walk(path: Union[str, os.PathLike[str]]) -> Walk: ...
