#!/usr/bin/env python3
"""Writes the manual page of vornax-batch from its --help text, so the two cannot drift.

The help text is CLI11's: a description, "Usage:", "Positionals:" and "Options:" blocks with
the descriptions starting in column 30 (or on the next lines when the option is longer), then
free paragraphs. A paragraph that begins with "Examples:" becomes EXAMPLES (one command a line)
and one that begins with "Exit status:" becomes EXIT STATUS; the others join the DESCRIPTION.
FILES comes from a troff fragment of its own: where the installed program finds things is no
part of --help.

    help-to-man.py PROGRAM FILES_FRAGMENT VERSION DATE OUTPUT
"""
import re
import subprocess
import sys

DESCRIPTION_COLUMN = 30


def troff(text):
    """Text of one line, escaped for troff: backslashes, hyphens of options, leading dots."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    if text.startswith((".", "'")):
        text = "\\&" + text
    return text


def bold_options(text):
    """The option names in a description line, in bold as man pages show them."""
    return re.sub(r"(?<![\w\\])(\\-\\-[a-z][a-z0-9\\-]*[a-z0-9])", r"\\fB\1\\fR", text)


def parse_option_block(lines):
    """[(usage, description)] of an "Options:" or "Positionals:" block."""
    items = []
    for i, line in enumerate(lines):
        if not line.strip():
            continue
        indent = " " * DESCRIPTION_COLUMN
        if line.startswith("  ") and not line.startswith(indent):
            # CLI11 pads a short option to the column and starts its description there; a longer
            # one stands alone and its description follows on the next line, at the column.
            following = lines[i + 1] if i + 1 < len(lines) else ""
            alone = (len(line) <= DESCRIPTION_COLUMN or line[DESCRIPTION_COLUMN - 1] != " "
                     or following.startswith(indent))
            if alone:
                items.append([line.strip(), ""])
            else:
                items.append([line[:DESCRIPTION_COLUMN].strip(), line[DESCRIPTION_COLUMN:].strip()])
        elif items:
            items[-1][1] = (items[-1][1] + " " + line.strip()).strip()
        else:
            raise SystemExit("help-to-man: a description without an option: " + line)
    return items


def split_blocks(text):
    """The help text cut at its headings and blank lines."""
    lines = text.rstrip("\n").split("\n")
    intro, usage, blocks, paragraphs = [], "", {}, []
    i = 0
    while i < len(lines) and not lines[i].startswith("Usage:"):
        intro.append(lines[i])
        i += 1
    if i == len(lines):
        raise SystemExit("help-to-man: no \"Usage:\" line in the help text")
    usage = lines[i][len("Usage:"):].strip()
    i += 1
    current = None
    paragraph = []
    for line in lines[i:]:
        if line in ("Positionals:", "Options:"):
            current = line[:-1]
            blocks[current] = []
        elif current is not None and (line.startswith("  ") or not line.strip()) and not paragraph:
            if not line.strip() and blocks[current]:
                # A blank line after the options ends them; what follows is free text.
                if current == "Options":
                    current = None
                continue
            blocks[current].append(line)
        else:
            current = None
            if line.strip():
                paragraph.append(line)
            elif paragraph:
                paragraphs.append(paragraph)
                paragraph = []
    if paragraph:
        paragraphs.append(paragraph)
    return intro, usage, blocks, paragraphs


def main():
    if len(sys.argv) != 6:
        raise SystemExit(__doc__)
    program, files_fragment, version, date, output = sys.argv[1:]
    text = subprocess.run([program, "--help"], check=True, capture_output=True,
                          text=True).stdout
    intro, usage, blocks, paragraphs = split_blocks(text)
    name = program.rsplit("/", 1)[-1]
    summary = intro[0] if intro else name
    if summary.startswith(name + ":"):
        summary = summary[len(name) + 1:].strip()
    summary = summary.rstrip(".")

    out = []
    out.append('.TH %s 1 "%s" "%s %s" "User Commands"' % (name.upper(), date, name, version))
    out.append(".SH NAME")
    out.append("%s \\- %s" % (troff(name), troff(summary)))
    out.append(".SH SYNOPSIS")
    out.append(".B %s" % troff(name))
    out.append(troff(usage[len(name):].strip()) if usage.startswith(name) else troff(usage))
    out.append(".SH DESCRIPTION")
    rest = " ".join(line.strip() for line in intro[1:])
    if rest:
        out.append(bold_options(troff(rest)))

    examples, exit_status, free = [], [], []
    for paragraph in paragraphs:
        first = paragraph[0]
        if first.startswith("Examples:"):
            examples = [line.strip() for line in paragraph[1:] if line.strip()]
        elif first.startswith("Exit status:"):
            exit_status = [first[len("Exit status:"):].strip()] + [l.strip() for l in paragraph[1:]]
        else:
            free.append(paragraph)
    for paragraph in free:
        out.append(".PP")
        out.extend(bold_options(troff(line.strip())) for line in paragraph)

    out.append(".SH OPTIONS")
    for block in ("Positionals", "Options"):
        for usage, description in parse_option_block(blocks.get(block, [])):
            out.append(".TP")
            words = usage.split(" ", 1)
            names = "\\fB" + troff(words[0]).replace(",", "\\fR, \\fB") + "\\fR"
            if block == "Positionals":
                names = "\\fI" + troff(words[0]) + "\\fR"
            out.append(names + (" \\fI" + troff(words[1]) + "\\fR" if len(words) > 1 else ""))
            out.append(bold_options(troff(description)))

    if exit_status:
        out.append(".SH EXIT STATUS")
        out.extend(bold_options(troff(line)) for line in exit_status)
    with open(files_fragment, encoding="utf-8") as f:
        out.append(f.read().rstrip("\n"))
    if examples:
        out.append(".SH EXAMPLES")
        out.append(".nf")
        out.extend(".RS 4\n" + troff(line) + "\n.RE" for line in examples)
        out.append(".fi")
    out.append(".SH SEE ALSO")
    out.append(".BR vornax (1)")

    with open(output, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
