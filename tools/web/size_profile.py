#!/usr/bin/env python3
"""Where the browser program's bytes go: the size of each section of a .wasm, and of its code
by function and by library, from a build whose name section is kept (emcc --profiling-funcs).

A function belongs to the first library (a static .a, given as NAME=PATH) that defines a
symbol of its name; what none defines is the C and C++ run-time and emscripten's glue, and
the functions ASYNCIFY adds are a line of their own. The whole file is also given gzipped and
brotli-compressed, since that is what a browser downloads.
The data section is told apart where its bytes are known files embedded whole (--embedded:
the pictures the window carries, the font), the rest being the libraries' and the game's
tables and strings; beside each line of code and data stands what its bytes alone come to
brotli-compressed, a guide to its share of the download (the whole compresses a little better,
its parts sharing a dictionary).
  size_profile.py PROGRAM.wasm [NAME=LIBRARY.a ...] [--nm llvm-nm] [--top N] [--markdown]
                  [--embedded FILE ...] [--shipped SHIPPED.wasm]"""
import argparse
import collections
import gzip
import re
import shutil
import subprocess
import sys

SECTIONS = {0: "custom", 1: "type", 2: "import", 3: "function", 4: "table", 5: "memory", 6: "global",
            7: "export", 8: "start", 9: "elem", 10: "code", 11: "data", 12: "datacount"}


def leb(data, at):
    """An unsigned LEB128 number at `at`: its value and the offset after it."""
    value = shift = 0
    while True:
        byte = data[at]
        at += 1
        value |= (byte & 0x7F) << shift
        if byte < 0x80:
            return value, at
        shift += 7


def read_name(data, at):
    size, at = leb(data, at)
    return data[at:at + size].decode("utf-8", "replace"), at + size


def parse(data):
    """The sections (kind, name, size with header) and the code's functions (index, body size),
    with the function names of the name section and the number of imported functions."""
    if data[:4] != b"\0asm":
        sys.exit("size_profile: not a WebAssembly module")
    at, sections, bodies, names, imported = 8, [], [], {}, 0
    while at < len(data):
        start = at
        kind = data[at]
        size, at = leb(data, at + 1)
        end = at + size
        label = SECTIONS.get(kind, f"#{kind}")
        if kind == 0:
            custom, body = read_name(data, at)
            label = f"custom {custom}"
            if custom == "name":
                names = function_names(data, body, end)
        elif kind == 2:
            imported = count_function_imports(data, at)
        elif kind == 10:
            count, p = leb(data, at)
            for i in range(count):
                body_size, q = leb(data, p)
                bodies.append((i, q + body_size - p, p, q + body_size))
                p = q + body_size
        sections.append((label, end - start, start, end))
        at = end
    return sections, [(imported + i, n, a, b) for i, n, a, b in bodies], names


def count_function_imports(data, at):
    count, at = leb(data, at)
    functions = 0
    for _ in range(count):
        _, at = read_name(data, at)
        _, at = read_name(data, at)
        kind = data[at]
        at += 1
        if kind == 0:
            _, at = leb(data, at)
            functions += 1
        elif kind == 1:
            at += 1
            flags, at = leb(data, at)
            _, at = leb(data, at)
            if flags & 1:
                _, at = leb(data, at)
        elif kind == 2:
            flags, at = leb(data, at)
            _, at = leb(data, at)
            if flags & 1:
                _, at = leb(data, at)
        elif kind == 3:
            at += 2
        else:
            sys.exit(f"size_profile: import of unknown kind {kind}")
    return functions


def function_names(data, at, end):
    names = {}
    while at < end:
        sub = data[at]
        size, at = leb(data, at + 1)
        if sub == 1:
            count, p = leb(data, at)
            for _ in range(count):
                index, p = leb(data, p)
                names[index], p = read_name(data, p)
        at += size
    return names


def library_symbols(nm, library):
    """The function names a static library defines, mangled and demangled."""
    found = set()
    for flags in ([], ["-C"]):
        out = subprocess.run([nm, "--defined-only", *flags, library], capture_output=True, text=True,
                             check=True).stdout
        for line in out.splitlines():
            parts = line.split(" ", 2)
            if len(parts) == 3 and parts[1] in ("T", "t", "W", "w"):
                found.add(parts[2])
    return found


def library_of(name, libraries):
    if name.startswith("asyncify_") or name.startswith("__asyncify"):
        return "ASYNCIFY's own"
    bare = name.split("(")[0] if "(" in name and not name.startswith("std::") else name
    for label, symbols in libraries:
        if name in symbols or bare in symbols:
            return label
    return "C/C++ run-time, emscripten"


def brotli_size(data):
    if not shutil.which("brotli") or not data:
        return ""
    return len(subprocess.run(["brotli", "-c", "-q", "11", "-"], input=data, capture_output=True, check=True).stdout)


def compressed(data):
    sizes = {"gzip -9": len(gzip.compress(data, 9))}
    if shutil.which("brotli"):
        sizes["brotli -q 11"] = len(subprocess.run(["brotli", "-c", "-q", "11", "-"], input=data,
                                                   capture_output=True, check=True).stdout)
    return sizes


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("wasm")
    parser.add_argument("libraries", nargs="*", help="NAME=PATH of a static library")
    parser.add_argument("--nm", default="llvm-nm")
    parser.add_argument("--top", type=int, default=25)
    parser.add_argument("--markdown", action="store_true")
    parser.add_argument("--embedded", nargs="*", default=[], help="files embedded whole in the data")
    parser.add_argument("--shipped", help="the same program as shipped, without the names: its sizes too")
    args = parser.parse_intermixed_args()
    with open(args.wasm, "rb") as f:
        data = f.read()
    sections, bodies, names = parse(data)
    if not names:
        sys.exit("size_profile: no function names: link with --profiling-funcs")
    libraries = []
    for given in args.libraries:
        label, _, path = given.partition("=")
        libraries.append((label, library_symbols(args.nm, path)))
    by_library = collections.defaultdict(lambda: [0, 0, bytearray()])
    for index, size, a, b in bodies:
        entry = by_library[library_of(names.get(index, f"#{index}"), libraries)]
        entry[0] += size
        entry[1] += 1
        entry[2] += data[a:b]
    code = sum(size for _, size, *_ in bodies)
    total = len(data)
    packed = compressed(data)

    def table(header, rows):
        if args.markdown:
            print("| " + " | ".join(header) + " |")
            print("|" + "---|" * len(header))
            for r in rows:
                print("| " + " | ".join(str(c) for c in r) + " |")
        else:
            for r in rows:
                print("  ".join(str(c) for c in r))
        print()

    pct = lambda n: f"{100 * n / total:.1f} %"
    print(f"{args.wasm}: {total} bytes; " + "; ".join(f"{k} {v} bytes" for k, v in packed.items()) + "\n")
    if args.shipped:
        with open(args.shipped, "rb") as f:
            shipped = f.read()
        shipped_code = sum(size for label, size, *_ in parse(shipped)[0] if label == "code")
        print(f"{args.shipped} (as shipped, without the names): {len(shipped)} bytes; " +
              "; ".join(f"{k} {v} bytes" for k, v in compressed(shipped).items()) +
              f"; code {shipped_code} bytes\n")
    table(["section", "bytes", "share of the file"],
          [(label, size, pct(size)) for label, size, *_ in sorted(sections, key=lambda s: -s[1])])
    alone = lambda b: brotli_size(bytes(b))
    table(["code by library", "bytes", "functions", "share of the file", "brotli alone"],
          [(label, size, count, pct(size), alone(body)) for label, (size, count, body) in
           sorted(by_library.items(), key=lambda kv: -kv[1][0])] + [("all code", code, len(bodies), pct(code), "")])
    segment = next((d for d in sections if d[0] == "data"), None)
    if segment:
        blob = data[segment[2]:segment[3]]
        found, rest = [], bytearray(blob)
        for path in args.embedded:
            with open(path, "rb") as f:
                known = f.read()
            # The linker leaves runs of zeros out of the data (memory starts zeroed), so a file
            # is looked for as its pieces between such runs.
            pieces = [p for p in re.split(rb"\x00{4,}", known) if len(p) >= 8]
            if pieces and all(blob.find(p) >= 0 for p in pieces):
                found.append((path.rsplit("/", 1)[-1], sum(map(len, pieces)), alone(known)))
                for piece in pieces:
                    where = rest.find(piece)
                    if where >= 0:
                        del rest[where:where + len(piece)]
        grouped = collections.defaultdict(lambda: [0, 0, 0])
        for name, size, packed in found:
            kind = "the font" if name.endswith((".ttf", ".otf")) else f"carried pictures, {name.rsplit('.', 1)[-1]}"
            grouped[kind][0] += size
            grouped[kind][1] += packed
            grouped[kind][2] += 1
        table(["data", "bytes", "files", "brotli alone"],
              [(kind, size, n, packed) for kind, (size, packed, n) in sorted(grouped.items(), key=lambda kv: -kv[1][0])]
              + [("tables and strings (libraries, run-time, game)", len(rest), "", alone(rest))])
    largest = sorted(bodies, key=lambda b: -b[1])[:args.top]
    table([f"largest {args.top} functions", "library", "bytes"],
          [(names.get(i, f"#{i}").replace("|", "\\|")[:90], library_of(names.get(i, ""), libraries), size)
           for i, size, *_ in largest])


if __name__ == "__main__":
    main()
