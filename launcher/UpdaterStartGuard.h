#pragma once

// The one rule for the page's starts of the updater: the login start ("AppLogin"), the page
// start ("LoadGame") and the navigation start ("app://loadgame") each go through Begin. One
// start at a time (the shell's elevation prompt and the message boxes run the page's
// messages, so the page can ask again while a start is under way), and none at all once the
// login start has begun: the launcher then waits for its updater and tells the host, and no
// second updater and no early end may come in between.
class UpdaterStartGuard {
public:
    enum class Start { Login, Page };

    // True when `start` may go on; it holds the guard from then on. The login start keeps it
    // (after it the launcher waits for its updater or has ended).
    bool Begin(Start start);
    // The end of a page start that Begin let through, asked after the shell has returned:
    // true when the start succeeded and still holds the guard, so that it may end the
    // launcher; otherwise the guard is free again (if it was the page start's).
    bool EndPageStart(bool started);
    bool LoginBegun() const { return m_holder == Holder::Login; }

private:
    enum class Holder { None, Login, Page };
    Holder m_holder = Holder::None;
};
