#pragma once

#include "core/UserFeedback.h"

#include <string>
#include <vector>

namespace velmora::test {

// Records what a model says and answers questions as told.
class RecordingFeedback : public UserFeedback {
public:
    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    bool confirm(std::string_view text) override {
        questions.emplace_back(text);
        return answer;
    }

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    bool answer = true;
};

} // namespace velmora::test
