from typing import Optional

class CoderError(ValueError):
    number: int
    operation: str
    offset: Optional[int]
    message: str
    def __init__(self, number: int, operation: str, offset: Optional[int], message: str) -> None: ...
