"""The site's build tools: the list of functions ASYNCIFY leaves alone, and the versions the
site names its files by.

Run: /usr/bin/python3 -m unittest discover -s tools/web -v
"""

import fnmatch
import os
import stat
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import asyncify_remove  # noqa: E402
import make_site  # noqa: E402


class AsyncifyRemoveTest(unittest.TestCase):
    def test_no_pattern_reaches_a_handler_or_a_file_stream(self):
        # Names as they stand in the program; '*' in a pattern is any run of characters.
        waiting = [
            "std::__2::__function::__func<TFWords::Say(std::__2::basic_string<char, "
            "std::__2::char_traits<char>, std::__2::allocator<char> > const&)::$_0, "
            "std::__2::allocator<>, void ()>::operator()()",
            "std::__2::function<void ()>::operator()() const",
            "std::__2::basic_filebuf<char, std::__2::char_traits<char> >::open(char const*, unsigned int)",
            "std::__2::basic_ifstream<char, std::__2::char_traits<char> >::basic_ifstream(char const*, unsigned int)",
            "Window::RunBox(bool, std::__2::basic_string<char> const&, std::__2::locale::id const&)",
            "__wrap_fopen", "__wrap_open", "__wrap_rename", "main",
        ]
        self.assertEqual(asyncify_remove.unanchored(asyncify_remove.RUNTIME), [])
        for name in waiting:
            hits = [p for p in asyncify_remove.RUNTIME if fnmatch.fnmatchcase(name, p)]
            self.assertEqual(hits, [], name)
        self.assertTrue(any(fnmatch.fnmatchcase("std::__2::basic_string<char>::append(char const*)", p)
                            for p in asyncify_remove.RUNTIME))

    def test_list_holds_the_libraries_functions_once_and_no_name_with_a_comma(self):
        with tempfile.TemporaryDirectory() as tmp:
            nm = os.path.join(tmp, "nm")
            with open(nm, "w") as f:
                # A stand-in for emnm: two archives' symbol tables, by the archive's name.
                f.write("#!/bin/sh\ncase \"$2\" in\n"
                        "*one.a) printf '00000001 T jpeg_read_header\\n00000002 t decode_mcu\\n"
                        "         U malloc\\n00000003 D jpeg_std_message_table\\n' ;;\n"
                        "*two.a) printf 'two.o:\\n00000004 T SDL_Init\\n00000005 t decode_mcu\\n"
                        "00000006 T odd,name\\n' ;;\nesac\n")
            os.chmod(nm, os.stat(nm).st_mode | stat.S_IEXEC)
            out = os.path.join(tmp, "list.txt")
            sys.argv = ["asyncify_remove.py", nm, out, os.path.join(tmp, "one.a"), os.path.join(tmp, "two.a")]
            asyncify_remove.main()
            with open(out) as f:
                names = f.read().split("\n")[:-1]
        runtime = len(asyncify_remove.RUNTIME)
        self.assertEqual(names[:runtime], asyncify_remove.RUNTIME)
        self.assertEqual(names[runtime:], ["SDL_Init", "decode_mcu", "jpeg_read_header"])


class VersionsTest(unittest.TestCase):
    def test_page_names_the_built_program_and_changes_with_it(self):
        with tempfile.TemporaryDirectory() as site:
            for name, data in (("timburik.js", b"js"), ("timburik.wasm", b"\0asm")):
                with open(os.path.join(site, name), "wb") as f:
                    f.write(data)
            page = '<link href="timburik.wasm" data-size="@size of timburik.wasm@"><script src="timburik.js"></script>'
            first = make_site.versioned_page(page, site)
            self.assertIn('data-size="4"', first)
            self.assertRegex(first, r'"timburik\.wasm\?v=[0-9a-f]{16}"')
            self.assertRegex(first, r'"timburik\.js\?v=[0-9a-f]{16}"')
            with open(os.path.join(site, "timburik.wasm"), "wb") as f:
                f.write(b"\0asm\1")
            second = make_site.versioned_page(page, site)
            self.assertNotEqual(first, second)
            self.assertEqual(first.split("timburik.js")[1], second.split("timburik.js")[1])
            with self.assertRaises(SystemExit):
                make_site.versioned_page("<p>no program</p>", site)

    def test_worker_names_a_version_that_follows_the_page_and_the_list(self):
        with tempfile.TemporaryDirectory() as site:
            template = os.path.join(site, "sw.template.js")
            with open(template, "w", encoding="utf-8") as f:
                f.write("const BUILD = '@BUILD@';\n")
            page, listed = "<script src=\"timburik.js?v=1\"></script>", "Words.str\t01\n"
            version = make_site.site_version(page, listed)
            self.assertNotEqual(version, make_site.site_version(page, "Words.str\t02\n"))
            self.assertNotEqual(version, make_site.site_version(page.replace("v=1", "v=2"), listed))
            make_site.write_worker(template, site, version)
            with open(os.path.join(site, "sw.js"), encoding="utf-8") as f:
                self.assertEqual(f.read(), f"const BUILD = '{version}';\n")
            with open(template, "w", encoding="utf-8") as f:
                f.write("const BUILD = 'fixed';\n")
            with self.assertRaises(SystemExit):
                make_site.write_worker(template, site, version)

    def test_content_list_gives_each_file_its_version(self):
        with tempfile.TemporaryDirectory() as tmp:
            data = os.path.join(tmp, "data")
            os.makedirs(os.path.join(data, "subjects"))
            for rel, body in (("Words.str", b"KOT\r\n"), ("subjects/KOT.bmp", b"BM"), ("same.bmp", b"BM")):
                with open(os.path.join(data, rel), "wb") as f:
                    f.write(body)
            target = os.path.join(tmp, "site", "content")
            make_site.copy_content(data, target)
            with open(os.path.join(target, "index.txt"), encoding="utf-8") as f:
                lines = dict(line.split("\t") for line in f.read().splitlines())
            self.assertEqual(sorted(lines), ["Words.str", "same.bmp", "subjects/KOT.bmp"])
            self.assertEqual(lines["same.bmp"], lines["subjects/KOT.bmp"])
            self.assertNotEqual(lines["Words.str"], lines["same.bmp"])

            with open(os.path.join(data, "a\tb.bmp"), "wb") as f:
                f.write(b"BM")
            with self.assertRaises(SystemExit):
                make_site.copy_content(data, target)


if __name__ == "__main__":
    unittest.main()
