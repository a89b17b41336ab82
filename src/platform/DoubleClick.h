#pragma once

#include <cstdint>
#include <optional>

namespace velmora {

// A desktop double-click found in the raw input stream.
struct DesktopDoubleClick {
    int x = 0;
    int y = 0;
    bool alt = false;
};

// Finds double-clicks in a stream of pointer events the way the desktop hook
// does: a second left press within the double-click time of the first, with
// the pointer not moved more than 5 pixels sideways or 6 or more up or down
// since the sequence began. While a click is being handled nothing is
// reported. Times are milliseconds of any monotonic clock.
class DoubleClickDetector {
public:
    explicit DoubleClickDetector(std::int64_t doubleClickMs = 500) : m_interval(doubleClickMs) {}

    // The pointer moved to (x, y).
    void motion(int x, int y);
    // A left press at (x, y); a double-click when it completes one.
    std::optional<DesktopDoubleClick> leftPress(std::int64_t timeMs, int x, int y, bool alt);

    // The desktop's double-click time, in milliseconds.
    void setInterval(std::int64_t doubleClickMs) { m_interval = doubleClickMs; }
    std::int64_t interval() const { return m_interval; }

    // The program handles a click until it says it is done.
    void setHandling(bool handling) { m_handling = handling; }
    bool handling() const { return m_handling; }

private:
    bool movedTooFar(int x, int y) const;

    std::int64_t m_interval;
    std::optional<std::int64_t> m_lastPress;
    int m_startX = 0;
    int m_startY = 0;
    bool m_handling = false;
};

} // namespace velmora
