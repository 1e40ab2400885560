#!/usr/bin/env python3
"""The benchmark layouts of bench/rec2csv.sh converted by a plain Python 3 script: what a user
would write without a tool. Usage: rec2csv.py one|hd INPUT OUTPUT"""
import sys

# Nibbles as hex digits, with A to F as the characters ":" to "?" (nibble value OR 0x30).
NIBBLES = bytes.maketrans(b'abcdef', b':;<=>?')


def packed(f, dec):
    h = f.hex().encode().translate(NIBBLES)
    sign = b'-' if h[-1:] == b'=' else b' '
    digits = h[:-1]
    if dec:
        digits = digits[:-dec] + b'.' + digits[-dec:]
    return sign + digits


def zoned(f, dec):
    return f[:-dec] + b'.' + f[-dec:] if dec else f


def one(r):
    return b','.join([r[0:10], r[10:40], r[40:47], zoned(r[47:56], 2), packed(r[56:63], 2),
                      packed(r[63:68], 2), r[78:86], packed(r[86:89], 2)]) + b'\r\n'


def main():
    kind, src, dst = sys.argv[1:4]
    header = None
    with open(src, 'rb') as fin, open(dst, 'wb', buffering=1 << 20) as fout:
        while True:
            chunk = fin.read(100 * 10000)
            if not chunk:
                break
            out = []
            for off in range(0, len(chunk) - 99, 100):
                r = chunk[off:off + 100]
                if kind == 'one':
                    out.append(one(r))
                elif r[0:1] == b'H':
                    header = b','.join([r[1:11], r[11:41], r[41:49]])
                elif r[0:1] == b'D':
                    detail = b','.join([r[1:4], r[4:24], r[24:29], zoned(r[29:38], 2),
                                        packed(r[38:44], 2)])
                    out.append(header + b',' + detail + b'\r\n' if header else detail + b'\r\n')
            fout.write(b''.join(out))


if __name__ == '__main__':
    main()
