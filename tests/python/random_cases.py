"""Random definition files and data files for the tests of the Python module and of Dask: fixed
or variable length, with or without class codes, headers, details and sub-details, records of
unknown kind, line breaks after records (and CR and LF inside them), trailing bytes, and output
options."""
import os
import random
import tempfile

OPTIONS = {
    "encoding": ["cp932", "utf-8", "utf-8-bom"],
    "quote": ["none", "minimal", "all"],
    "zoned_sign": ["off", "trailing", "leading"],
    "invalid_packed": ["keep", "empty", "fail"],
    "line_end": ["crlf", "lf"],
}


def random_case(rng):
    """(definition file bytes, data bytes, output options)."""
    class_codes = rng.randrange(4) != 0
    file_size = 0 if rng.randrange(2) else 3 + rng.randrange(8)
    kind_count = 1 + rng.randrange(4) if class_codes else 1
    kinds = []
    for k in range(1, kind_count + 1):
        size = 2 + rng.randrange(12)
        parent = 1 + rng.randrange(k - 1) if k > 1 and rng.randrange(3) else 0
        fields = ["code,X,2,1,0,0,"]
        for n in range(rng.randrange(5)):
            pos = 1 + rng.randrange(size)
            fsize = 1 + rng.randrange(size - pos + 1)
            ftype = rng.choice("X9P")
            max_dec = fsize if ftype == "9" else 2 * fsize - 1 if ftype == "P" else 0
            mark = -1 if rng.randrange(4) else 0
            fields.append(f"f{k}_{n},{ftype},{pos},{fsize},{rng.randrange(max_dec + 1)},{mark},")
        kinds.append({"size": size, "parent": parent, "child": 0, "fields": fields})
    for k, kind in enumerate(kinds, 1):
        if kind["parent"]:
            kinds[kind["parent"] - 1]["child"] = k
    lines = ["[Sorvek Trd File]", "Function=REC2CSV", "", "[File Property]",
             f"MaxRecordIndex={kind_count}", "Name=random", f"Size={file_size}",
             f"ClassPos={'2' if class_codes else ''}", f"Delimiter={rng.choice([',', '|', ';'])}",
             f"TitleLine={rng.choice(['True', 'False'])}", ""]
    for k, kind in enumerate(kinds, 1):
        lines += [f"[Record_{k}]", f"Name=R{k}", f"Size={kind['size']}",
                  f"Class={chr(ord('A') + k)}", f"Parent={kind['parent']}",
                  f"Child={kind['child']}", f"MaxFieldIndex={len(kind['fields']) - 1}"]
        lines += [f"Field_{i}={f}" for i, f in enumerate(kind["fields"])]
        lines.append("")
    definition = "\r\n".join(lines).encode("cp932")

    data = bytearray()
    for _ in range(rng.randrange(60)):
        unknown = class_codes and rng.randrange(25) == 0
        k = 1 + rng.randrange(kind_count)
        size = (file_size or 4) if unknown else kinds[k - 1]["size"]
        record = bytearray(rng.randrange(256) if rng.randrange(3) == 0 else 0x30 + rng.randrange(10)
                           for _ in range(size))
        if class_codes:
            record[1] = ord("Z") if unknown else ord("A") + k
        data += record + rng.choice([b"", b"\r\n", b"\n", b"\r"])
    if rng.randrange(3) == 0:
        data += bytes(rng.randrange(256) for _ in range(rng.randrange(6)))
    options = {}
    if rng.randrange(2) == 0:
        options = {key: rng.choice(values) for key, values in OPTIONS.items()}
        options["trim"] = rng.randrange(2) == 0
    return definition, bytes(data), options


def cli_arguments(options):
    """The same options as sorvek-cli takes them."""
    arguments = []
    for key, value in options.items():
        if key == "trim":
            if value:
                arguments.append("--trim")
        else:
            arguments += ["--" + key.replace("_", "-"), value]
    return arguments


class CaseFolder:
    """A test's own folder, removed after it, with a case's definition and data files in it."""

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def write_case(self, definition_bytes, data):
        """Writes the files d.trd and in.dat."""
        with open(self.path("d.trd"), "wb") as f:
            f.write(definition_bytes)
        with open(self.path("in.dat"), "wb") as f:
            f.write(data)
