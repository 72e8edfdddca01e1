"""The box driver's own record: every descendant of the program it runs, however short its
life, is recorded with its parent and its exit code."""
import os
import unittest

from e2e_common import DRIVER, DYING, msgbox

SPAWNER = os.environ.get("ZEL_SPAWNER", "")


class BoxDriver(unittest.TestCase):
    def test_every_descendant_is_recorded(self):
        for needed in (DRIVER, DYING, SPAWNER):
            if not needed or not os.path.exists(needed):
                self.fail("built program missing: %r (run through ctest)" % needed)
        spawner = msgbox.windows_path(SPAWNER)
        dying = msgbox.windows_path(DYING)
        # Three spawners in turn, each starting ten programs that the loader ends at once.
        result = msgbox.run_program(DRIVER, SPAWNER, ["3", spawner, "10", dying], timeout=120)
        self.assertFalse(result.timed_out, result)
        self.assertEqual(result.exit_code, 0, result)
        # Process ids come back into use at once: the records are counted, not the ids.
        starts = [(int(e[1]), int(e[2])) for e in result.events if e[0] == "process"]
        middle = {pid for pid, parent in starts if parent == result.pid}
        self.assertEqual(sum(1 for pid, parent in starts if parent == result.pid), 3, result)
        self.assertEqual(sum(1 for pid, parent in starts if parent in middle), 30, result)
        self.assertEqual(len(starts), 33, result)
        codes = sorted(int(e[2]) & 0xFFFFFFFF for e in result.events if e[0] == "exit" and int(e[1]) != result.pid)
        self.assertEqual(codes, [0] * 3 + [0xC0000135] * 30, result)
        self.assertFalse([e for e in result.events if e[0] == "error"], result)


if __name__ == "__main__":
    unittest.main()
