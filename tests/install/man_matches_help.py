#!/usr/bin/env python3
"""The OPTIONS section of a man page says word for word what the option blocks of --help say.

    man_matches_help.py PAGE.1.gz HELP_TEXT_FILE
Font changes and troff escapes are taken away, and blanks and line ends counted as one space,
so only the words and their order are compared.
"""
import gzip
import re
import sys


def flat(text):
    return " ".join(text.split())


def main():
    page, help_file = sys.argv[1:]
    with gzip.open(page, "rt", encoding="utf-8") as f:
        source = f.read()
    with open(help_file, encoding="utf-8") as f:
        help_text = f.read()

    section = re.search(r"^\.SH OPTIONS\n(.*?)^\.SH ", source, re.S | re.M)
    if not section:
        raise SystemExit("no OPTIONS section in " + page)
    body = "\n".join(line for line in section.group(1).split("\n") if not line.startswith("."))
    body = re.sub(r"\\f[BIRP]", "", body).replace("\\-", "-").replace("\\e", "\\")
    body = body.replace("\\&", "")
    # "-h, --help" in the page is "-h,--help" in the help text.
    body = re.sub(r"(?<=\s)(-\w), (--)", r"\1,\2", " " + body)

    blocks = re.findall(r"^(?:Positionals|Options):\n(.*?)(?:\n\n|\Z)", help_text, re.S | re.M)
    if len(blocks) < 1:
        raise SystemExit("no option blocks in the help text")
    expected = flat(" ".join(blocks))
    found = flat(body)
    if expected != found:
        at = next((i for i, (a, b) in enumerate(zip(expected, found)) if a != b),
                  min(len(expected), len(found)))
        raise SystemExit("the page differs from --help at:\n  help: ...%s...\n  page: ...%s..."
                         % (expected[max(0, at - 60):at + 60], found[max(0, at - 60):at + 60]))
    print("OPTIONS is --help's text, %d words" % len(expected.split()))


if __name__ == "__main__":
    main()
