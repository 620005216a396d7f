#!/usr/bin/env python3
"""Applies the glob and the magic of the installed MIME type to files, as shared-mime-info does
for string matches: a <match> holds when its value occurs starting at an offset within its
range, and its nested matches must hold too; any one top-level match is enough.

    mime_magic.py TYPE.xml --input FILE... --other FILE...
Files after --input must be recognised by name and by content, those after --other by neither.
"""
import fnmatch
import os
import sys
import xml.etree.ElementTree as ET

NS = "{http://www.freedesktop.org/standards/shared-mime-info}"


def matches(match, data):
    if match.get("type") != "string":
        raise SystemExit("mime_magic.py: only string matches are understood")
    value = match.get("value").encode()
    first, _, last = match.get("offset").partition(":")
    first, last = int(first), int(last or first)
    at = data.find(value, first, last + len(value))
    if at < 0:
        return False
    children = match.findall(NS + "match")
    return not children or any(matches(child, data) for child in children)


def main():
    args = sys.argv[1:]
    xml, args = args[0], args[1:]
    split = args.index("--other")
    inputs, others = args[1:split], args[split + 1:]
    mime = ET.parse(xml).getroot().find(NS + "mime-type")
    globs = [g.get("pattern") for g in mime.findall(NS + "glob")]
    magic = mime.find(NS + "magic")
    failures = []
    for path, wanted in [(p, True) for p in inputs] + [(p, False) for p in others]:
        with open(path, "rb") as f:
            data = f.read(4096)
        by_name = any(fnmatch.fnmatch(os.path.basename(path), g) for g in globs)
        by_content = any(matches(m, data) for m in magic.findall(NS + "match"))
        if by_name != wanted or by_content != wanted:
            failures.append("%s: by name %s, by content %s, expected %s"
                            % (path, by_name, by_content, wanted))
    if failures:
        raise SystemExit("\n".join(failures))
    print("%d input files recognised, %d other files not" % (len(inputs), len(others)))


if __name__ == "__main__":
    main()
