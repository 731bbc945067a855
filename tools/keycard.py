#!/usr/bin/env python3
"""Makes everything that describes the keys from the one key table,
tools/keys.txt:

  docs/keycard.txt            the key card: plain text, one key per line,
                              at most 80 columns, for braille and screen
                              readers;
  tools/prompt-words.txt      the spoken help, between its key-help marks:
                              one prompt per key ("key...");
  src/keys/key_help_table.inc the program's index from key code to help
                              prompt.

    tools/keycard.py            write the three files
    tools/keycard.py --check    exit 1, naming them, when any is out of date
    tools/keycard.py --readme   print the README's key tables (Markdown)

The README's key tables are made too when README.md holds the two marks
README_START and README_END (each on a line of its own): what stands
between them is the tables, written and checked like the three files.

Python 3 standard library only.
"""

import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TABLE = os.path.join("tools", "keys.txt")
CARD = os.path.join("docs", "keycard.txt")
WORDS = os.path.join("tools", "prompt-words.txt")
INDEX = os.path.join("src", "keys", "key_help_table.inc")

CARD_WIDTH = 80
BLOCK_START = "# --- Key help: made by tools/keycard.py from tools/keys.txt; edit there ---"
BLOCK_END = "# --- End of the key help ---"
README = "README.md"
README_START = "<!-- BEGIN KEY TABLES: made by tools/keycard.py --readme from tools/keys.txt; edit there -->"
README_END = "<!-- END KEY TABLES -->"

# The key names of the CODES column and the numbers of their Key names, as the
# program sees them once the keypad's digits and point and the bracket keys
# are read as the keys they stand for.
CODES = {"Space": 32, "Enter": 13, "Escape": 27, "Slash": 191, "Comma": 188, "PageUp": 33, "PageDown": 34, "Left": 37, "Up": 38,
         "Right": 39, "Down": 40, "Equals": 187, "Minus": 189, "Point": 190,
         "KeypadPlus": 107, "KeypadMinus": 109}
CODES.update({chr(c): c for c in range(ord("A"), ord("Z") + 1)})
CODES.update({str(d): 48 + d for d in range(10)})
CODES.update({"F%d" % n: 111 + n for n in range(1, 13)})

# The program's name (platform/platform.h) of each code of the index.
CODE_NAMES = {32: "kKeySpace", 13: "kKeyEnter", 27: "kKeyEscape", 191: "kKeySlash", 188: "kKeyComma",
              33: "kKeyPageUp", 34: "kKeyPageDown", 37: "kKeyLeft", 38: "kKeyUp", 39: "kKeyRight",
              40: "kKeyDown", 187: "kKeyEquals", 189: "kKeyMinus", 190: "kKeyPeriod",
              107: "kKeyPadPlus", 109: "kKeyPadMinus"}
CODE_NAMES.update({c: "keyLetter('%s')" % chr(c) for c in range(ord("A"), ord("Z") + 1)})
CODE_NAMES.update({48 + d: "keyDigit(%d)" % d for d in range(10)})
CODE_NAMES.update({111 + n: "keyF(%d)" % n for n in range(1, 13)})

CARD_INTRO = """Rigvox keys

Every command is one key, or a key and then digits. Letters work with or
without Shift. H, then a key, says what that key does without doing it.
H twice speaks the help for every key."""


class TableError(Exception):
    pass


def read_table(path):
    """[(section title, [row, ...]), ...]; a row is a dict with key, codes
    (list of key numbers), does, heard and prompt (None for a row of
    the card and README only)."""
    sections = []
    seen_codes = {}
    seen_prompts = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            where = "%s:%d" % (TABLE, number)
            if not line.strip() or line.startswith("#"):
                continue
            if line.startswith("=="):
                title = line[2:].strip()
                if not title:
                    raise TableError("%s: a section needs a title" % where)
                sections.append((title, []))
                continue
            fields = [field.strip() for field in line.split("|")]
            if len(fields) != 4 or not all(fields):
                raise TableError("%s: expected KEY | CODES | WHAT IT DOES | WHAT YOU HEAR" % where)
            if not sections:
                raise TableError("%s: a row before the first section" % where)
            key, codes, does, heard = fields
            if does.endswith("."):
                raise TableError("%s: WHAT IT DOES ends without a full stop" % where)
            row = {"key": key, "codes": [], "does": does, "heard": heard, "prompt": None}
            if codes != "-":
                for name in codes.split():
                    if name not in CODES:
                        raise TableError("%s: unknown key code %r" % (where, name))
                    code = CODES[name]
                    if code in seen_codes:
                        raise TableError("%s: %s already has the row of line %d"
                                         % (where, name, seen_codes[code]))
                    seen_codes[code] = number
                    row["codes"].append(code)
                prompt = "key" + re.sub(r"[^a-z0-9]", "", key.lower())
                if prompt in seen_prompts:
                    raise TableError("%s: the help prompt %s is made by line %d too"
                                     % (where, prompt, seen_prompts[prompt]))
                seen_prompts[prompt] = number
                row["prompt"] = prompt
            card_line = card_row(row)
            if len(card_line) > CARD_WIDTH:
                raise TableError("%s: the card line is %d columns, at most %d: %s"
                                 % (where, len(card_line), CARD_WIDTH, card_line))
            sections[-1][1].append(row)
    return sections


def card_row(row):
    return "%s: %s" % (row["key"], row["does"])


# Words the voice would say as words, spelt out as letters in the help.
SPOKEN = {"ALC": "A L C", "AM": "A M", "UHF": "U H F", "VHF": "V H F"}


def sentence(row):
    """The spoken help of a row."""
    text = "%s, %s." % (row["key"], row["does"])
    return re.sub(r"\b[A-Z]{2,}\b", lambda m: SPOKEN.get(m.group(0), m.group(0)), text)


def make_card(sections):
    lines = [CARD_INTRO]
    for title, rows in sections:
        lines.append("")
        lines.append(title)
        lines.extend(card_row(row) for row in rows)
    return "\n".join(lines) + "\n"


def make_help_lines(sections):
    rows = [row for _, section in sections for row in section if row["prompt"]]
    lines = [BLOCK_START,
             "# H, then a key: that key's help. H twice: all of them in this order."]
    lines.extend("%s|%s" % (row["prompt"], sentence(row)) for row in rows)
    lines.append(BLOCK_END)
    return lines


def make_words(sections, old_text):
    """prompt-words.txt with its key-help block made anew (appended at the
    end when the file has none yet)."""
    lines = old_text.splitlines()
    block = make_help_lines(sections)
    if BLOCK_START in lines:
        start = lines.index(BLOCK_START)
        if BLOCK_END not in lines[start:]:
            raise TableError("%s: %r without %r" % (WORDS, BLOCK_START, BLOCK_END))
        end = lines.index(BLOCK_END, start)
        lines[start:end + 1] = block
    else:
        if lines and lines[-1].strip():
            lines.append("")
        lines.extend(block)
    return "\n".join(lines) + "\n"


def make_index(sections):
    lines = ["// Made by tools/keycard.py from tools/keys.txt: edit there, then run it.",
             "// The help prompt of each key, by the key's name."]
    for _, rows in sections:
        for row in rows:
            for code in row["codes"]:
                lines.append('{%s, "%s"},' % (CODE_NAMES[code], row["prompt"]))
    return "\n".join(lines) + "\n"


def make_readme(sections):
    out = []
    for title, rows in sections:
        out.append("### %s" % title)
        out.append("")
        out.append("| Key | What it does | What you hear |")
        out.append("|---|---|---|")
        for row in rows:
            out.append("| %s | %s | %s |" % (row["key"], row["does"], row["heard"]))
        out.append("")
    return "\n".join(out)


def make_readme_file(sections, old_text):
    """README.md with the text between its marks made anew; None when it
    has no marks (the README then takes no tables from here)."""
    lines = old_text.split("\n")
    if README_START not in lines:
        return None
    start = lines.index(README_START)
    if README_END not in lines[start:]:
        raise TableError("%s: %r without %r" % (README, README_START, README_END))
    end = lines.index(README_END, start)
    lines[start + 1:end] = make_readme(sections).rstrip("\n").split("\n")
    return "\n".join(lines)


def read(path):
    try:
        with open(path, encoding="utf-8", newline="") as f:
            return f.read()
    except FileNotFoundError:
        return ""


def main(argv):
    root = ROOT
    if "--root" in argv:
        root = argv[argv.index("--root") + 1]
    try:
        sections = read_table(os.path.join(root, TABLE))
        if "--readme" in argv:
            sys.stdout.write(make_readme(sections))
            return 0
        made = {CARD: make_card(sections),
                WORDS: make_words(sections, read(os.path.join(root, WORDS))),
                INDEX: make_index(sections)}
        readme = make_readme_file(sections, read(os.path.join(root, README)))
        if readme is not None:
            made[README] = readme
    except (OSError, TableError) as e:
        print("keycard: %s" % e, file=sys.stderr)
        return 1
    if "--check" in argv:
        stale = [name for name, text in made.items() if read(os.path.join(root, name)) != text]
        for name in stale:
            print("keycard: %s is not what %s makes; run tools/keycard.py" % (name, TABLE),
                  file=sys.stderr)
        return 1 if stale else 0
    for name, text in made.items():
        path = os.path.join(root, name)
        if read(path) != text:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8", newline="") as f:
                f.write(text)
            print("keycard: wrote %s" % name)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
