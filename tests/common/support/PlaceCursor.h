#pragma once

namespace testsupport {

// Puts the real pointer at the screen point and returns once the system reports it there
// steadily (the display takes moves asynchronously, and an older queued pointer event can
// move it back once); a test failure is added when it never settles.
void PlaceCursor(int x, int y);

} // namespace testsupport
