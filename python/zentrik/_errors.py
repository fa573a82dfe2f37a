"""The one exception the zentrik module raises for data it cannot decode or encode."""


class CoderError(ValueError):
    """A failure of the library: its number, the operation that failed, the offset in the input
    where that is known (else None) and a message."""

    def __init__(self, number, operation, offset, message):
        self.number = number
        self.operation = operation
        self.offset = offset
        self.message = message
        where = "" if offset is None else f" at offset {offset}"
        super().__init__(f"error {number} ({operation}){where}: {message}")

    def __reduce__(self):
        return (CoderError, (self.number, self.operation, self.offset, self.message))
