#pragma once

#include "core/DateValue.h"

namespace velmora {

// Where the program reads the time. Nothing in the models asks the system
// clock directly, so that day changes and timed reminders can be tested.
class Clock {
public:
    virtual ~Clock() = default;
    // Local date and time.
    virtual DateValue now() const = 0;
    // Today's date without a time of day.
    DateValue today() const { return now().datePart(); }
};

// A clock that stands still until it is moved: tests and --today.
class FixedClock : public Clock {
public:
    explicit FixedClock(DateValue now) : m_now(now) {}
    DateValue now() const override { return m_now; }
    void set(DateValue now) { m_now = now; }
    void advanceMinutes(int minutes) { m_now = DateValue(m_now.value() + minutes / 1440.0); }
    void advanceDays(int days) { m_now = m_now.addDays(days); }

private:
    DateValue m_now;
};

} // namespace velmora
