"""Record-to-CSV conversion on a Dask cluster: the file is planned once, its parts are converted
on the workers, and the output is written as one file (the bytes of one whole conversion) or as
a folder of numbered parts.

Every worker reads the input (and the definition) by its path, so the paths must name the same
files on every host: a shared or network file system, or an object store mounted as one.
"""
import os
import tempfile

import sorvek


def _convert_part(input, definition, part):
    return sorvek.convert_part_result(input, definition, part)


def _write_part(input, definition, part, folder):
    data, stop = sorvek.convert_part_result(input, definition, part)
    path = os.path.join(folder, f"part-{part.index:05d}.csv")
    with open(path + ".tmp", "wb") as out:
        out.write(data)
    os.replace(path + ".tmp", path)
    return stop


def _client(client):
    if client is not None:
        return client
    from distributed import get_client
    return get_client()


def convert(input, definition, output, client=None, parts=False, npartitions=None,
            **output_options):
    """Converts `input` by `definition` on the cluster of `client` (the current client when
    None). Without `parts`, `output` is one file holding exactly the bytes of a whole
    conversion, replaced only when every part was converted; with `parts=True`, `output` is a
    folder that receives part-00000.csv, part-00001.csv, ... (the title line in the first).
    `npartitions`: how many parts (default: four per worker thread, and at least one per
    64 MiB of input). Raises SorvekError when
    the conversion stops in the data, after the parts before it."""
    client = _client(client)
    input = os.fspath(input)
    definition_path = definition.path if isinstance(definition, sorvek.Definition) else \
        os.fspath(definition)
    loaded = sorvek.load_definition(definition_path, **output_options)
    if npartitions is None:
        # Four parts per worker thread, and parts of at most 64 MiB: a worker holds its part
        # and its output in memory.
        threads = sum(client.nthreads().values()) or 1
        npartitions = max(4 * threads, -(-os.path.getsize(input) // (64 << 20)))
    planned = sorvek.plan(input, loaded, npartitions)
    # Workers load the definition themselves, with the same options.
    worker_definition = (definition_path, output_options)

    if parts:
        os.makedirs(output, exist_ok=True)
        futures = client.map(lambda p: _write_part(input, _load(worker_definition), p, output),
                             planned, pure=False)
        for future in futures:
            stop = future.result()
            if stop is not None:
                raise sorvek.SorvekError(stop)
        return

    futures = client.map(lambda p: _convert_part(input, _load(worker_definition), p), planned,
                         pure=False)
    folder = os.path.dirname(os.path.abspath(output))
    handle, temporary = tempfile.mkstemp(prefix="." + os.path.basename(output) + ".", dir=folder)
    try:
        with os.fdopen(handle, "wb") as out:
            for future in futures:
                data, stop = future.result()
                future.release()
                out.write(data)
                if stop is not None:
                    raise sorvek.SorvekError(stop)
            out.flush()
            os.fsync(out.fileno())
        if os.path.exists(output):
            os.chmod(temporary, os.stat(output).st_mode & 0o7777)
        os.replace(temporary, output)
    except BaseException:
        for future in futures:
            future.cancel()
        if os.path.exists(temporary):
            os.remove(temporary)
        raise


def _load(key):
    """The definition on a worker, read for each part: a small file, and always the file as it
    is now."""
    path, options = key
    return sorvek.load_definition(path, **options)
