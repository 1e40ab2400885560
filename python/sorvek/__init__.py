"""Record-to-CSV conversion of fixed-length record files (text, zoned and packed decimal fields,
record kinds told apart by a class code, headers and details) by a definition file.

    sorvek.convert(input, output, definition, **output_options)
    sorvek.to_records(input, output, definition, **options)
    sorvek.plan(input, definition, parts) -> [Part]
    sorvek.convert_part(input, definition, part) -> bytes
    sorvek.check(input, definition=None) -> dict
    sorvek.records(input, definition) -> iterator of dicts

`definition` is the path of a definition file (.trd, or a SEWB3 .rcdef) or what
`load_definition` returned. The options over the definition are those of sorvek-cli, by their
names with "_": encoding ("cp932", "utf-8", "utf-8-bom"), quote ("none", "minimal", "all"),
trim (bool), zoned_sign ("off", "trailing", "leading"), invalid_packed ("keep", "empty",
"fail"), title_line (bool), line_end ("crlf", "lf"), split_kinds (bool: one file per record
kind, "out.csv" written as "out.<kind>.csv", each with its own title line; convert returns
their paths), format ("csv", "xlsx": an Excel workbook with a sheet per record kind, numbers as
numbers), and for the input input_code_page
("cp932", "ibm930", ...) and record_format ("fixed", "v", "vb").

The parts of a plan convert independently (in other threads, processes or machines; a Part
pickles) and, joined in order, are exactly the bytes of one whole conversion. Failures raise
Error (also named SorvekError): `message` is the text the programs show, `kind` what kind of
failure it is ("not_found", "permission", "invalid_data", ...).
"""
import decimal
import json
import os

from ._error import Error, SorvekError
from ._sorvek import Definition, Part, RecordReader
from . import _sorvek

__all__ = ["convert", "to_records", "plan", "convert_part", "check", "records", "load_definition",
           "Definition", "Part", "Error", "SorvekError"]


def _path(name, value):
    """The path `value` as the library takes it. A NUL, which no path holds and which would end
    the path early (another file written), is a ValueError naming `name`."""
    path = os.fspath(value)
    if ("\0" if isinstance(path, str) else b"\0") in path:
        raise ValueError(f"{name} に NUL 文字を含むパスは指定できません: {path!r}")
    return path


def load_definition(path, **output_options):
    """Loads and checks a definition file, with output options put over its own."""
    return _sorvek.load_definition(_path("definition", path), output_options)


def _definition(definition, output_options=None):
    if isinstance(definition, Definition):
        if output_options:
            return load_definition(definition.path, **output_options)
        return definition
    return load_definition(definition, **(output_options or {}))


def convert(input, output, definition, jobs=0, **output_options):
    """Converts the file `input` into `output` (replaced only when the conversion succeeded) with
    `jobs` workers (0: as many as pay on this machine; a count that cannot beat one job here
    runs as one job, with the same bytes). With split_kinds, `output` itself is not written: one file
    per record kind that writes lines is, all replaced only when the conversion succeeded, and
    the list of their paths is returned (else None)."""
    written = _sorvek.convert(_path("input", input), _path("output", output),
                              _definition(definition, output_options), jobs)
    return list(written) if written else None


def to_records(input, output, definition, **options):
    """Makes the delimited text `input` back into records in `output` (replaced only when every
    line made its records), through the definition: the way back of `convert`. The options are
    those of `convert` (naming how the text was written) and, for the records' layout,
    record_end ("none", "crlf", "lf") and block_size."""
    _sorvek.to_records(_path("input", input), _path("output", output),
                       _definition(definition, options))


def plan(input, definition, parts):
    """Cuts the file `input` into `parts` parts (some may be empty) that convert on their own."""
    return _sorvek.plan(_path("input", input), _definition(definition), parts)


def convert_part_result(input, definition, part):
    """(bytes, message): the part's output and, when the conversion stopped in it (a record of
    unknown kind in a variable-length file, an invalid packed field with invalid_packed="fail", a
    descriptor word that cannot be), the message, else None. `input` is the file's path or all
    of its bytes."""
    if not isinstance(input, (bytes, bytearray, memoryview)):
        input = _path("input", input)
    return _sorvek.convert_part(input, _definition(definition), part)


def convert_part(input, definition, part):
    """The output of one part. Raises Error (kind "invalid_data") when the conversion stops in
    the part."""
    data, stop = convert_part_result(input, definition, part)
    if stop is not None:
        raise Error(stop, "invalid_data")
    return data


def check(input, definition=None, jobs=1):
    """The check report of sorvek-cli --check --json as a dict: line breaks, what the bytes
    look like, record-length hints and, with a definition, what the conversion would meet.
    `jobs`: workers that read parts of a regular file at once (0: as many as pay on this
    machine); the report is the same."""
    path = definition.path if isinstance(definition, Definition) else definition
    return json.loads(
        _sorvek.check_json(_path("input", input), _path("definition", path) if path else "",
                           jobs))


def _chains(kinds):
    """For each kind, the kinds whose fields make its line: top-level ancestor first."""
    chains = {}
    for k in range(1, len(kinds)):
        chain, seen = [], set()
        r = k
        while r != 0 and r not in seen:
            seen.add(r)
            chain.insert(0, r)
            r = kinds[r]["parent"]
        chains[k] = chain
    return chains


_ZONED_POSITIVE = {ord("{"): 0, **{ord("A") + i: i + 1 for i in range(9)}}
_ZONED_NEGATIVE = {ord("}"): 0, **{ord("J") + i: i + 1 for i in range(9)},
                   **{ord("p") + i: i for i in range(10)}}


def _value(field, record):
    start = field["pos"] - 1
    raw = record[start:start + field["size"]]
    kind = field["type"]
    if kind == "9":
        digits, sign = list(raw), 0
        if digits and not (0x30 <= digits[-1] <= 0x39):
            last = digits[-1]
            if last in _ZONED_POSITIVE:
                digits[-1] = 0x30 + _ZONED_POSITIVE[last]
            elif last in _ZONED_NEGATIVE:
                digits[-1], sign = 0x30 + _ZONED_NEGATIVE[last], 1
        if not digits or not all(0x30 <= d <= 0x39 for d in digits):
            return None
        return decimal.Decimal((sign, tuple(d - 0x30 for d in digits), -field["dec"]))
    if kind == "P":
        nibbles = []
        for b in raw:
            nibbles += [b >> 4, b & 0x0F]
        digits, sign_nibble = nibbles[:-1], nibbles[-1] if nibbles else 0
        if not digits or any(d > 9 for d in digits) or sign_nibble < 10:
            return None
        return decimal.Decimal((1 if sign_nibble in (0x0B, 0x0D) else 0, tuple(digits),
                                -field["dec"]))
    return raw.decode("cp932", errors="replace")


def records(input, definition):
    """The lines of the conversion as dicts: for each record of a kind without a child, the
    marked fields of its ancestors and its own by name, with typed values: text as str, zoned
    and packed numbers as decimal.Decimal (None where the bytes hold no valid number)."""
    d = _definition(definition)
    kinds = d.kinds()
    chains = _chains(kinds)
    last = {}
    for kind, record in RecordReader(_path("input", input), d):
        last[kind] = record
        if kinds[kind]["child"] != 0:
            continue
        row = {}
        for k in chains[kind]:
            held = last.get(k)
            if held is None:
                continue
            for field in kinds[k]["fields"]:
                if field["marked"]:
                    row[field["name"]] = _value(field, held)
        yield row
