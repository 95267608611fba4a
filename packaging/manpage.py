#!/usr/bin/env python3
"""Writes a program's manual page from its own --help, so the two never differ.

    manpage.py PROGRAM "one-line description" VERSION DATE OUTPUT [SEE-ALSO...]

The --help text is read as: a "Usage:" line, a description up to the first blank line, then
headings ("Options:") with two-column rows ("  --port NAME   serial port"). For a program with
commands (a "Commands:" heading) every command's own "PROGRAM COMMAND --help" becomes a
subsection, with its usage line, summary and argument rows. A closing paragraph that starts
with "Exit status:" becomes the EXIT STATUS section.
"""
import os
import re
import subprocess
import sys

ROW = re.compile(r"^ {2,7}(\S.*?)(?: {2,}(\S.*))?$")
CONTINUATION = re.compile(r"^ {8,}(\S.*)$")
COMMAND_WORD = re.compile(r"^[a-z][a-z0-9-]*$")


def run_help(program, *words):
    env = dict(os.environ, LC_ALL="C.UTF-8", QT_QPA_PLATFORM="offscreen")
    result = subprocess.run([program, *words, "--help"], capture_output=True, text=True, env=env, timeout=60)
    if result.returncode != 0:
        sys.exit(f"manpage.py: {' '.join([program, *words])} --help failed ({result.returncode}): {result.stderr}")
    return result.stdout


def roff(text):
    """Escapes text for roff; options keep their minus signs."""
    text = text.replace("\\", "\\e")
    text = re.sub(r"(^|[\s\[(|,=])-", lambda m: m.group(1) + "\\-", text)
    text = re.sub(r"(?<=\\-)-", "\\-", text)
    return text


def line(text):
    text = roff(text)
    return "\\&" + text if text.startswith((".", "'")) else text


def parse_rows(lines):
    """Two-column rows: [(left, [help lines])]; a row's help may go on under it."""
    rows = []
    for raw in lines:
        cont = CONTINUATION.match(raw)
        if cont and rows and not raw.lstrip().startswith("-"):
            rows[-1][1].append(cont.group(1))
            continue
        row = ROW.match(raw)
        if row:
            rows.append((row.group(1).strip(), [row.group(2)] if row.group(2) else []))
    return rows


def tagged(rows, out):
    for left, help_lines in rows:
        out.append(".TP")
        out.append("\\fB" + roff(left) + "\\fR")
        out.extend(line(h) for h in help_lines)


def split_help(text):
    """(usage, description lines, [(heading, lines)], trailing paragraphs)."""
    lines = text.rstrip("\n").split("\n")
    if not lines or not lines[0].lower().startswith("usage:"):
        sys.exit("manpage.py: the --help text does not start with a usage line")
    usage = lines[0].split(":", 1)[1].strip()
    i = 1
    description = []
    while i < len(lines) and lines[i].strip() and not lines[i].startswith("  "):
        description.append(lines[i])
        i += 1
    sections = []
    paragraphs = []
    current = None
    for raw in lines[i:]:
        if not raw.strip():
            current = None
            continue
        if re.match(r"^[A-Z][A-Za-z ]*:$", raw):
            current = (raw[:-1], [])
            sections.append(current)
        elif raw.startswith("  ") and current is None and not paragraphs:
            current = ("Options", [])
            sections.append(current)
            current[1].append(raw)
        elif current is not None:
            current[1].append(raw)
        elif paragraphs and not raw.startswith("  ") and paragraphs[-1] is not None:
            paragraphs[-1].append(raw)
        else:
            paragraphs.append([raw])
    return usage, description, sections, paragraphs


def command_names(lines):
    names = []
    for raw in lines:
        row = ROW.match(raw)
        if not row:
            continue
        words = []
        for word in row.group(1).split():
            if not COMMAND_WORD.match(word):
                break
            words.append(word)
        if words:
            names.append(words)
    return names


def command_section(program, words, out):
    text = run_help(program, *words)
    lines = text.rstrip("\n").split("\n")
    usage = lines[0].split(":", 1)[1].strip()
    out.append(".SS " + roff(" ".join(words)))
    out.append("\\fB" + roff(usage) + "\\fR")
    out.append(".br")
    summary = []
    rest = []
    for raw in lines[1:]:
        (rest if rest or not raw.strip() else summary).append(raw)
    out.extend(line(s) for s in summary)
    tagged(parse_rows(rest), out)
    notes = [r for r in rest if r.strip() and not r.startswith(" ")]
    if notes:
        out.append(".PP")
        out.extend(line(n) for n in notes)


def main():
    if len(sys.argv) < 6:
        sys.exit(__doc__)
    program, summary, version, date, output = sys.argv[1:6]
    see_also = sys.argv[6:]
    name = os.path.basename(program)
    usage, description, sections, paragraphs = split_help(run_help(program))

    out = [
        f'.TH {name.upper()} 1 "{date}" "QRO4000 Utility {version}" "User Commands"',
        ".SH NAME",
        f"{roff(name)} \\- {roff(summary)}",
        ".SH SYNOPSIS",
        "\\fB" + roff(usage) + "\\fR",
    ]
    if description:
        out.append(".SH DESCRIPTION")
        out.extend(line(d) for d in description)
    commands = 0
    for heading, lines in sections:
        out.append(".SH " + heading.upper())
        if heading == "Commands":
            for words in command_names(lines):
                command_section(program, words, out)
                commands += 1
        else:
            tagged(parse_rows(lines), out)
    if any(h == "Commands" for h, _ in sections) and commands == 0:
        sys.exit("manpage.py: a Commands heading without a command in it")
    for paragraph in paragraphs:
        first = paragraph[0]
        if first.lower().startswith("exit status:"):
            out.append(".SH EXIT STATUS")
            paragraph = [first.split(":", 1)[1].strip()] + paragraph[1:]
        else:
            out.append(".PP")
        out.append("\n.br\n".join(line(p) for p in paragraph))
    if see_also:
        out.append(".SH SEE ALSO")
        out.append(",\n".join("\\fB" + roff(s.split("(")[0]) + "\\fR(" + s.split("(")[1] for s in see_also))
    with open(output, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
