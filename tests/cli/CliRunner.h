#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace velmora::test {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs velmora-cli with the arguments (already quoted for the shell) and
// environment assignments ("NAME=value ...") and waits for it.
CliResult runCli(const std::string& args, const std::string& environment = "");

// A velmora-cli started in the background; finish() waits and collects it.
class BackgroundCli {
public:
    BackgroundCli(const std::string& args, const std::string& environment = "");
    ~BackgroundCli();
    // Waits for the next line of its output (kept for finish()); "" at its end.
    std::string readLine();
    CliResult finish();

private:
    FILE* m_pipe = nullptr;
    std::string m_errFile;
    std::string m_out;
};

std::vector<std::string> outputLines(const std::string& text);

} // namespace velmora::test
