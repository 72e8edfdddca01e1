"""The box driver's own record: every descendant of the program it runs, however short its
life, is recorded with its parent and its exit code; a crash in any of them fails the run and
is named; caught exceptions are no crash, and debug strings are kept."""
import os
import struct
import unittest

from e2e_common import DRIVER, DYING, msgbox

SPAWNER = os.environ.get("ZEL_SPAWNER", "")
CRASHER = os.environ.get("ZEL_CRASHER", "")

ACCESS_VIOLATION = 0xC0000005
GCC_THROW = 0x20474343  # what a 64-bit build raises for a C++ throw


def is_64_bit(program):
    with open(program, "rb") as f:
        data = f.read(4096)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    return struct.unpack_from("<H", data, pe + 4)[0] == 0x8664


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

    def needs(self, *programs):
        for needed in (DRIVER,) + programs:
            if not needed or not os.path.exists(needed):
                self.fail("built program missing: %r (run through ctest)" % needed)

    def crashed(self, program, args):
        """The record of a run that must fail on a crash, and the failure's text."""
        with self.assertRaises(msgbox.ProgramCrashed) as caught:
            msgbox.run_program(DRIVER, program, args, timeout=60)
        return caught.exception.result, str(caught.exception)

    def test_a_crash_fails_the_run_and_is_named(self):
        self.needs(CRASHER, SPAWNER)
        cases = [("access", ACCESS_VIOLATION)]
        if is_64_bit(CRASHER):
            cases.append(("throw", GCC_THROW))
        for mode, code in cases:
            with self.subTest(mode=mode):
                result, text = self.crashed(CRASHER, [mode])
                self.assertEqual(len(result.crashes), 1, result)
                pid, seen, address = result.crashes[0]
                self.assertEqual((pid, seen), (result.pid, code), result)
                self.assertNotEqual(address, 0, result)
                self.assertIn("the program crashed: exception 0x%08X at 0x%X" % (code, address), text)
                self.assertEqual(result.exit_code & 0xFFFFFFFF, code, result)
        # A 32-bit build unwinds without the system's exceptions: an uncaught throw takes the
        # runtime's own way out (its message and exit 3), as it does without a debugger.
        if not is_64_bit(CRASHER):
            result = msgbox.run_program(DRIVER, CRASHER, ["throw"], timeout=60)
            self.assertEqual((result.exit_code, result.crashes), (3, []), result)
        # A descendant's crash is named with its parent; the starter itself ends well.
        result, text = self.crashed(SPAWNER, ["1", msgbox.windows_path(CRASHER), "access"])
        self.assertEqual(result.exit_code, 0, result)
        [(pid, code, address)] = result.crashes
        self.assertEqual((code, result.exits.get(pid, 0) & 0xFFFFFFFF), (ACCESS_VIOLATION, ACCESS_VIOLATION), result)
        self.assertIn("process %d (started by %d) crashed: exception 0x%08X" % (pid, result.pid, code), text)

    def test_caught_exceptions_and_debug_strings_are_no_crash(self):
        self.needs(CRASHER)
        # Each throw of a 64-bit build reaches the driver first, before its handler runs.
        result = msgbox.run_program(DRIVER, CRASHER, ["caught"], timeout=60)
        self.assertEqual(result.exit_code, 0, result)
        self.assertEqual(result.crashes, [], result)
        self.assertEqual(result.debug, [(result.pid, "crasher: 宽字符串\n"), (result.pid, "crasher: 窄字符串")], result)
        self.assertFalse([e for e in result.events if e[0] == "error"], result)


if __name__ == "__main__":
    unittest.main()
