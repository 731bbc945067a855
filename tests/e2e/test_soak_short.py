#!/usr/bin/env python3
"""A short soak: the real program (rigvox-soak, its poll tick shortened to
2 ms) against the virtual radio for about a minute, some thirty thousand
poll queries, close to half an hour of the product's 50 ms ticks. Resident
memory must stay flat, no descriptor may pile up, the poll rate must not
fall off, the link must be up at the end (and lost no more than now and
then: at this tick 40 ms of a busy machine's silence count as a loss) and
the program must end cleanly.
tools/soak.sh runs the same for a whole day of ticks."""

import io
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.environ.get("RIGVOX_SOURCE") or os.path.dirname(
    os.path.dirname(os.path.dirname(os.path.abspath(__file__)))), "tools", "bench"))

import soak  # noqa: E402


class SoakShort(unittest.TestCase):
    def test_a_minute_of_two_millisecond_ticks(self):
        out = io.StringIO()
        result = soak.run(queries=10 ** 9, tick_ms=2, max_seconds=60, every=5.0, out=out)
        sys.stderr.write(out.getvalue())
        self.assertEqual(result["problems"], [], out.getvalue())
        # The run was one of thousands of ticks, at a steady pace close to
        # the tick (a collection right after a query may still find nothing).
        self.assertGreater(result["queries_done"], 15000)
        self.assertGreater(result["rate_last_third"], 250)
        self.assertLess(result["hwm_kb"], 40 * 1024)


if __name__ == "__main__":
    unittest.main(verbosity=2)
