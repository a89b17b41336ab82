#include "CliRunner.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora::test {

namespace {

std::string errFileName() {
    static std::atomic<int> counter{0};
    return (std::filesystem::temp_directory_path() /
            ("velmora-cli-err-" + std::to_string(getpid()) + "-" + std::to_string(counter++)))
        .string();
}

} // namespace

BackgroundCli::BackgroundCli(const std::string& args, const std::string& environment) : m_errFile(errFileName()) {
    const std::string command = environment + " " VELMORA_BINARY_DIR "/velmora-cli " + args + " 2>" + m_errFile;
    m_pipe = popen(command.c_str(), "r");
    if (!m_pipe) {
        ADD_FAILURE() << "cannot run " << command;
    }
}

BackgroundCli::~BackgroundCli() {
    if (m_pipe) {
        finish();
    }
    std::error_code ec;
    std::filesystem::remove(m_errFile, ec);
}

std::string BackgroundCli::readLine() {
    std::string line;
    if (!m_pipe) {
        return line;
    }
    for (int c = fgetc(m_pipe); c != EOF; c = fgetc(m_pipe)) {
        line += static_cast<char>(c);
        if (c == '\n') {
            break;
        }
    }
    m_out += line;
    return line;
}

CliResult BackgroundCli::finish() {
    CliResult r;
    r.out = m_out;
    if (!m_pipe) {
        return r;
    }
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), m_pipe)) > 0) {
        r.out.append(buffer.data(), n);
    }
    const int status = pclose(m_pipe);
    m_pipe = nullptr;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = readBytes(m_errFile);
    return r;
}

CliResult runCli(const std::string& args, const std::string& environment) {
    return BackgroundCli(args, environment).finish();
}

std::vector<std::string> outputLines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        out.push_back(l);
    }
    return out;
}

} // namespace velmora::test
