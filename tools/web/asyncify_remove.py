#!/usr/bin/env python3
"""Writes the list of functions the browser build's ASYNCIFY leaves as they are (one a line,
for -sASYNCIFY_REMOVE=@FILE): every function defined in the given static libraries, and the
parts of the C++ run-time that never sleep.

ASYNCIFY lets the game sleep inside its own calls (a message box's nested loop, a content
file fetched when first opened, a save written to storage) by saving and restoring the stack
of every function that may be on it. It cannot tell which indirect calls lead to a sleep, so
by default it rewrites nearly every function that calls through a pointer: the font engine,
the JPEG decoder, SDL and the allocator included, which doubles their code and slows them.
None of these ever sleeps: the libraries open no content file (the game reads files itself and
hands them the bytes; the one file SDL opens is the font, which is inside the program and
opens at once), and a sleep that ends at once never unwinds the stack."""
import subprocess
import sys

# The run-time's own functions that never sleep, by pattern: the allocator (which calls the
# new-handler through a pointer), strings and containers, and the locale and formatting
# machinery of the streams (virtual calls throughout). Files opened through the streams may
# wait for a content file, so the file streams are not here; nor are std::function's calls,
# which are the game's handlers. Every pattern is anchored at the start of the name: a pattern
# open at both ends would also match a handler whose own name merely mentions a string type,
# and a handler left alone cannot wait.
RUNTIME = [
    "malloc", "free", "calloc", "realloc", "memalign", "posix_memalign", "aligned_alloc",
    "dlmalloc", "dlfree", "dlcalloc", "dlrealloc", "dlmemalign", "dlposix_memalign",
    "emscripten_builtin_malloc", "emscripten_builtin_free", "emscripten_builtin_memalign",
    "operator new*",
    "std::__2::basic_string*", "std::__2::vector*", "std::__2::locale::*",
    "void std::__2::locale::*", "std::__2::ctype*", "std::__2::codecvt*",
    "std::__2::num_get*", "std::__2::num_put*", "std::__2::__num_get*", "std::__2::__num_put*",
    "std::__2::numpunct*", "std::__2::time_get*", "std::__2::time_put*", "std::__2::__time_get*",
    "std::__2::money_get*", "std::__2::money_put*", "std::__2::__money_get*",
    "std::__2::__money_put*", "std::__2::moneypunct*", "std::__2::istreambuf_iterator*",
    "std::__2::ostreambuf_iterator*", "std::__2::basic_streambuf*", "std::__2::basic_ostream*",
    "std::__2::basic_ios*", "std::__2::ios_base*", "std::__2::__throw_*", "std::terminate*",
]


def unanchored(patterns):
    """The patterns open at their start, which could match inside a handler's name."""
    return [p for p in patterns if p.startswith("*")]


def defined_functions(nm, library):
    """Names of the functions a static library defines, its file-local ones included."""
    out = subprocess.run([nm, "--defined-only", library], check=True, capture_output=True, text=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] in ("T", "t"):
            names.add(parts[2])
    return names


def main():
    if len(sys.argv) < 4:
        sys.exit("usage: asyncify_remove.py NM OUTPUT LIBRARY...")
    nm, output, libraries = sys.argv[1], sys.argv[2], sys.argv[3:]
    if unanchored(RUNTIME):
        sys.exit(f"asyncify_remove: patterns open at the start: {unanchored(RUNTIME)}")
    names = set()
    for library in libraries:
        found = defined_functions(nm, library)
        if not found:
            sys.exit(f"asyncify_remove: {library} defines no functions")
        names |= found
    # A name with a comma would be split in two by the list's own format.
    names = sorted(n for n in names if "," not in n)
    with open(output, "w", encoding="utf-8") as out:
        out.write("".join(n + "\n" for n in RUNTIME + names))


if __name__ == "__main__":
    main()
