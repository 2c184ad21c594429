#include "session/busystate.h"

bool BusyState::begin()
{
    if (m_running)
        return false;
    m_running = true;
    m_stopRequested = false;
    m_closeRequested = false;
    return true;
}

void BusyState::end()
{
    m_running = false;
    m_stopRequested = false;
    emit ended();
}
