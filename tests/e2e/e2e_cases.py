#!/usr/bin/env python3
"""Lists the test cases of end-to-end test files for CMake, one line each:
FILE_STEM CLASS.METHOD. Read from the source without importing it, so
listing starts nothing and needs no display."""

import ast
import os
import sys


def cases(path):
    with open(path, encoding="utf-8") as f:
        tree = ast.parse(f.read(), path)
    for node in tree.body:
        if isinstance(node, ast.ClassDef):
            for item in node.body:
                if isinstance(item, ast.FunctionDef) and item.name.startswith("test"):
                    yield "%s.%s" % (node.name, item.name)


if __name__ == "__main__":
    for path in sys.argv[1:]:
        stem = os.path.splitext(os.path.basename(path))[0]
        for case in cases(path):
            print(stem, case)
