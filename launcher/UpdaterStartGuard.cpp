#include "UpdaterStartGuard.h"

bool UpdaterStartGuard::Begin(Start start)
{
    if (m_holder != Holder::None) return false;
    m_holder = start == Start::Login ? Holder::Login : Holder::Page;
    return true;
}

bool UpdaterStartGuard::EndPageStart(bool started)
{
    const bool held = m_holder == Holder::Page;
    if (held && started) return true;
    if (held) m_holder = Holder::None;
    return false;
}
