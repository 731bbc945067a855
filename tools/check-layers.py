#!/usr/bin/env python3
"""Checks the layering of src/ from its #include "..." lines.

Every folder of src/ is an area. An area may include only the areas listed
for it below (its own files always); no circle may run between areas. Exits
1 and names each offending include, or the circle, when a rule is broken.

    tools/check-layers.py [SRC]      check (SRC defaults to ./src)
    tools/check-layers.py --pairs    also list the include pairs between areas
"""
import os
import re
import sys

# Top to bottom: the program, keys, network, session, memory, radio, then
# link, speech and screen, base, platform. A few areas of one level are
# ordered too: memory uses radio, and the link names its reply pause in the
# speech log.
ALLOWED = {
    "program": {"keys", "network", "session", "memory", "radio", "link", "speech", "screen", "base", "platform"},
    # Keys run the radio's functions; the event handler in program hands the
    # network its events, so keys never reach the network.
    "keys": {"session", "memory", "radio", "link", "speech", "screen", "base", "platform"},
    "network": {"session", "memory", "radio", "link", "speech", "screen", "base", "platform"},
    "session": {"memory", "radio", "link", "speech", "screen", "base", "platform"},
    "memory": {"radio", "link", "speech", "screen", "base", "platform"},
    "radio": {"link", "speech", "screen", "base", "platform"},
    # The link moves bytes: no radio, screen, keys, memory, network or session.
    "link": {"speech", "base", "platform"},
    "speech": {"base", "platform"},
    # The screen draws what it is given.
    "screen": {"base", "platform"},
    "base": {"platform"},
    # The platform calls nothing of ours.
    "platform": set(),
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def include_pairs(src):
    """{(area, included area): [file:line, ...]} for every quoted include of src."""
    pairs = {}
    for folder, _, files in sorted(os.walk(src)):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(folder, name)
            area = os.path.relpath(path, src).split(os.sep)[0]
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m or "/" not in m.group(1):
                        continue
                    target = m.group(1).split("/")[0]
                    place = "%s:%d" % (os.path.relpath(path, os.path.dirname(src)), number)
                    pairs.setdefault((area, target), []).append(place)
    return pairs


def find_circle(edges):
    """One circle of the area graph as a list of areas, or None."""
    graph = {}
    for a, b in edges:
        graph.setdefault(a, set()).add(b)
    state = {}  # 1 on the path, 2 done

    def visit(node, path):
        state[node] = 1
        path.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == 1:
                return path[path.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt, path)
                if found:
                    return found
        path.pop()
        state[node] = 2
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node, [])
            if found:
                return found
    return None


def main(argv):
    show_pairs = "--pairs" in argv
    args = [a for a in argv if not a.startswith("--")]
    src = args[0] if args else "src"
    if not os.path.isdir(src):
        print("check-layers: no folder %s" % src)
        return 2
    pairs = include_pairs(src)
    between = {p: where for p, where in pairs.items() if p[0] != p[1]}
    errors = []
    for (area, target), where in sorted(between.items()):
        if area not in ALLOWED:
            errors.append("%s: area %s is not in the layer table" % (where[0], area))
        elif target not in ALLOWED:
            errors.append("%s: includes %s/, which is not an area" % (where[0], target))
        elif target not in ALLOWED[area]:
            for place in where:
                errors.append("%s: %s may not include %s" % (place, area, target))
    circle = find_circle(between.keys())
    if circle:
        errors.append("circle between areas: " + " -> ".join(circle))
    if show_pairs:
        for (area, target), where in sorted(between.items()):
            print("%-8s -> %-8s %d" % (area, target, len(where)))
        areas = {a for p in pairs for a in p}
        print("%d areas, %d include pairs between areas" % (len(areas), len(between)))
    for e in errors:
        print(e)
    if errors:
        return 1
    if not show_pairs:
        print("check-layers: %d include pairs between areas, all allowed, no circle" % len(between))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
