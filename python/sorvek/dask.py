"""Record-to-CSV conversion on a Dask cluster: the file is planned once, its parts are converted
on the workers, and the output is written as one file (the bytes of one whole conversion) or as
a folder of numbered parts.

Every worker reads the input (and the definition) by its path and writes its parts into a folder
beside the output, so the paths must name the same files on every host: a shared or network file
system, or an object store mounted as one.
"""
import errno
import os
import shutil
import tempfile

import sorvek


def _write_part(input, definition, part, folder):
    data, stop = sorvek.convert_part_result(input, definition, part)
    path = _part_path(folder, part)
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
    64 MiB of input). Raises sorvek.Error when
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
                raise sorvek.Error(stop, "invalid_data")
        return

    # Each worker writes its parts into numbered files in a folder beside the output, and the
    # parts are joined in order as they come, by the kernel (copy_file_range): no part's bytes
    # travel through the scheduler or this process.
    folder = os.path.dirname(os.path.abspath(output))
    staging = tempfile.mkdtemp(prefix="." + os.path.basename(output) + ".parts-", dir=folder)
    temporary = None
    futures = []
    try:
        futures = client.map(lambda p: _write_part(input, _load(worker_definition), p, staging),
                             planned, pure=False)
        handle, temporary = tempfile.mkstemp(prefix="." + os.path.basename(output) + ".",
                                             dir=folder)
        with os.fdopen(handle, "wb") as out:
            for part, future in zip(planned, futures):
                stop = future.result()
                future.release()
                path = _part_path(staging, part)
                _append(path, out)
                os.remove(path)
                if stop is not None:
                    raise sorvek.Error(stop, "invalid_data")
            out.flush()
            # As the programs do: a file that replaces another waits for the disk, a new one is
            # left to the system, as a copy would be.
            if os.path.exists(output):
                os.fsync(out.fileno())
        if os.path.exists(output):
            os.chmod(temporary, os.stat(output).st_mode & 0o7777)
        os.replace(temporary, output)
        temporary = None
    except BaseException:
        for future in futures:
            future.cancel()
        raise
    finally:
        if temporary is not None and os.path.exists(temporary):
            os.remove(temporary)
        # Parts still being written when a failure ended the join are gone with the folder.
        shutil.rmtree(staging, ignore_errors=True)


def _part_path(folder, part):
    return os.path.join(folder, f"part-{part.index:05d}.csv")


def _append(path, out):
    """Appends the file at `path` to the open file `out`, inside the kernel where it can."""
    out.flush()
    target = out.fileno()
    with open(path, "rb", buffering=0) as part:
        source = part.fileno()
        left = os.fstat(source).st_size
        in_kernel = hasattr(os, "copy_file_range")
        while left > 0:
            if in_kernel:
                try:
                    done = os.copy_file_range(source, target, left)
                except OSError as error:
                    # Another file system, or a kernel without the call: copied through here.
                    if error.errno not in (errno.EXDEV, errno.ENOSYS, errno.EINVAL,
                                           errno.EOPNOTSUPP):
                        raise
                    in_kernel = False
                    continue
            else:
                chunk = os.read(source, min(left, 1 << 20))
                done = len(chunk)
                view = memoryview(chunk)
                while view:
                    view = view[os.write(target, view):]
            if done == 0:
                raise OSError(f"{path}: the part ended early")
            left -= done


def _load(key):
    """The definition on a worker, read for each part: a small file, and always the file as it
    is now."""
    path, options = key
    return sorvek.load_definition(path, **options)
