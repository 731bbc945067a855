#!/usr/bin/env python3
"""Lists the test cases of end-to-end test files for CMake, one line each:
FILE_STEM CLASS.METHOD, as unittest finds them (inherited methods too).
Importing a test file starts nothing; one that cannot be imported is listed
as FILE_STEM alone, so that it runs as one test and shows its error there."""

import importlib.util
import os
import sys
import unittest


def cases(path):
    sys.path.insert(0, os.path.dirname(os.path.abspath(path)))
    name = "e2e_listed_" + os.path.splitext(os.path.basename(path))[0]
    spec = importlib.util.spec_from_file_location(name, path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    found = []

    def walk(suite):
        for test in suite:
            if isinstance(test, unittest.TestSuite):
                walk(test)
            else:
                found.append("%s.%s" % (type(test).__name__, test._testMethodName))

    walk(unittest.defaultTestLoader.loadTestsFromModule(module))
    return found


if __name__ == "__main__":
    for path in sys.argv[1:]:
        stem = os.path.splitext(os.path.basename(path))[0]
        try:
            listed = cases(path)
        except Exception as e:  # noqa: BLE001 - any failure: the file runs whole
            sys.stderr.write("e2e_cases: %s cannot be imported: %s\n" % (path, e))
            listed = []
        for case in listed or [None]:
            print(stem if case is None else "%s %s" % (stem, case))
