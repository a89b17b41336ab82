#include "platform/DoubleClick.h"

#include <cstdlib>

namespace velmora {

bool DoubleClickDetector::movedTooFar(int x, int y) const {
    return std::abs(x - m_startX) > 5 || std::abs(y - m_startY) >= 6;
}

void DoubleClickDetector::motion(int x, int y) {
    // A pointer that wandered off starts a new sequence where it is now.
    if (movedTooFar(x, y)) {
        m_lastPress.reset();
        m_startX = x;
        m_startY = y;
    }
}

std::optional<DesktopDoubleClick> DoubleClickDetector::leftPress(std::int64_t timeMs, int x, int y, bool alt) {
    motion(x, y);
    if (m_handling) {
        return std::nullopt;
    }
    if (m_lastPress && timeMs - *m_lastPress <= m_interval) {
        m_lastPress.reset();
        m_handling = true;
        return DesktopDoubleClick{x, y, alt};
    }
    m_lastPress = timeMs;
    m_startX = x;
    m_startY = y;
    return std::nullopt;
}

} // namespace velmora
