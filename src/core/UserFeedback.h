#pragma once

#include <string_view>

namespace velmora {

// How a model speaks to the user without opening windows itself: the window
// layer shows the texts in message boxes, the command-line tool on stderr,
// tests record them.
class UserFeedback {
public:
    virtual ~UserFeedback() = default;
    // A message box with the text and an OK button.
    virtual void showMessage(std::string_view text) = 0;
    // A question with OK and Cancel; true for OK.
    virtual bool confirm(std::string_view text) = 0;
};

// Says nothing and answers Cancel: for calls that must never ask.
class SilentFeedback : public UserFeedback {
public:
    void showMessage(std::string_view) override {}
    bool confirm(std::string_view) override { return false; }
};

} // namespace velmora
