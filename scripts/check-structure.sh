#!/usr/bin/env bash
# Checks the shape of the code that no compiler checks: every include in src/ points to the
# file's own layer or one below it and no Widgets header is used below ui/; no source file is
# over 600 lines; no function (src/, tests/, fuzz/, bench/, tools/) is over 60 lines. Prints each
# breach and fails if there is any.
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 - "$@" <<'PYTHON'
import pathlib, re, sys

MAX_FILE_LINES = 600
MAX_FUNCTION_LINES = 60

# What each layer of src/ may include, itself included (the layers below it, as the libraries
# are linked).
BELOW = {
    "common": [],
    "settings": ["common"],
    "strings": ["common"],
    "accounts": ["common"],
    "protocol": ["common", "accounts"],
    "store": ["common"],
    "events": ["common", "store"],
    "decoder": ["common", "strings", "accounts", "protocol", "events", "store"],
    "engine": ["common", "settings", "strings", "accounts", "protocol", "events", "store",
               "decoder"],
}
# The published figures sit above common only and count nothing themselves: any layer from the
# store up may count into them.
BELOW["metrics"] = ["common"]
for counting in ("store", "events", "decoder", "engine"):
    BELOW[counting] = BELOW[counting] + ["metrics"]
BELOW["ipserver"] = BELOW["engine"] + ["engine"]
BELOW["ui"] = BELOW["ipserver"] + ["ipserver"]
BELOW["app"] = BELOW["ui"] + ["ui"]

FUNCTION_END = re.compile(r"(\)|\bconst|\boverride|\bnoexcept|\bfinal|\bmutable|->\s*[\w:<>,\s]+)$")
CONTAINER = re.compile(r"\b(namespace|class|struct|union|enum)\b|extern\s*\"C\"")

breaches = []

def sources(*roots):
    for root in roots:
        for path in sorted(pathlib.Path(root).rglob("*")):
            if path.suffix in (".cpp", ".h") and "corpus" not in path.parts:
                yield path

def code_only(text):
    """The text with comments, strings, characters and preprocessor lines blanked, lines kept."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            while i < n and text[i] != "\n":
                i += 1
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append("\n" * text.count("\n", i, end))
            i = end
        elif c == "#" and (i == 0 or text[text.rfind("\n", 0, i) + 1:i].strip() == ""):
            while i < n and text[i] != "\n":
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    out.append("\n")
                    i += 1
                i += 1
        elif c in "\"'":
            raw = c == '"' and i > 0 and text[i - 1] == "R"
            if raw:
                close = ")" + text[i + 1:text.index("(", i)] + '"'
                end = text.index(close, i) + len(close)
            else:
                end = i + 1
                while end < n and text[end] != c:
                    end += 2 if text[end] == "\\" else 1
                end += 1
            out.append(c + "\n" * text.count("\n", i, end) + c)
            i = end
        else:
            out.append(c)
            i += 1
    return "".join(out)

def check_functions(path, text):
    code = code_only(text)
    stack = []  # (kind, line of its opening brace)
    pending = ""
    line = 1
    for c in code:
        if c == "\n":
            line += 1
        if c == "{":
            inside = any(kind == "function" for kind, _ in stack)
            head = pending.strip()
            if inside:
                kind = "inner"
            elif FUNCTION_END.search(head):
                kind = "function"
            elif CONTAINER.search(head) and "(" not in head:
                kind = "container"
            else:
                kind = "inner"
            stack.append((kind, line))
            if kind != "inner":
                pending = ""
        elif c == "}":
            if not stack:
                continue
            kind, start = stack.pop()
            if kind == "function" and line - start + 1 > MAX_FUNCTION_LINES:
                breaches.append(f"{path}:{start}: function of {line - start + 1} lines "
                                f"(at most {MAX_FUNCTION_LINES})")
            if kind != "inner":
                pending = ""
        elif c == ";":
            if not any(kind == "function" for kind, _ in stack):
                pending = ""
        else:
            pending += c

for path in sources("src", "tests", "fuzz", "bench", "tools"):
    text = path.read_text(encoding="utf-8", errors="replace")
    lines = text.count("\n")
    if lines > MAX_FILE_LINES:
        breaches.append(f"{path}: {lines} lines (at most {MAX_FILE_LINES})")
    check_functions(path, text)
    parts = path.parts
    if parts[0] != "src" or parts[1] not in BELOW:
        continue
    layer = parts[1]
    for number, source_line in enumerate(text.splitlines(), 1):
        match = re.match(r'\s*#\s*include\s*"([a-z]+)/', source_line)
        if match and match.group(1) != layer and match.group(1) not in BELOW[layer]:
            breaches.append(f"{path}:{number}: {layer}/ includes {match.group(1)}/, a layer "
                            "above it")
    if layer not in ("ui", "app"):
        for number, source_line in enumerate(text.splitlines(), 1):
            if re.match(r"\s*#\s*include\s*<Q(Widget|Dialog|MessageBox|Application|Tw)", source_line) \
                    or re.match(r"\s*#\s*include\s*<QtWidgets", source_line):
                breaches.append(f"{path}:{number}: a Widgets header below ui/")

for breach in breaches:
    print(breach)
sys.exit(1 if breaches else 0)
PYTHON
