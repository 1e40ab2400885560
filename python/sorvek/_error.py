"""The package's exception: every failure raises an Error."""


class Error(RuntimeError):
    """A failure: `message` is the text the console program shows for it, `kind` what kind of
    failure it is, as lower-case words joined by "_": "not_found", "is_directory",
    "permission", "device_or_socket", "no_space", "read_error", "write_error", "invalid_data",
    "invalid_definition", "not_definition_file", "refused_argument", "cancelled", "no_memory"
    or "failed"."""

    def __init__(self, message, kind="failed"):
        super().__init__(message)
        self.message = message
        self.kind = kind


# The name of the exception before it had a kind.
SorvekError = Error
