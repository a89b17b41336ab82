#include "cli/CliCommands.h"

#include "core/DateText.h"
#include "platform/StartupEnvironment.h"

#include <functional>
#include <iostream>
#include <map>

namespace velmora::cli {

namespace {

constexpr const char* kUsageText = "usage: velmora-cli [--home DIR] [--today yyyy/mm/dd] COMMAND [ARGS]\n"
                                   "\n"
                                   "  --home DIR     the program folder (default: VELMORA_HOME, else the\n"
                                   "                 executable's folder, else ~/.local/share/Velmora)\n"
                                   "  --today DATE   the day the command treats as today (default: the clock)\n"
                                   "\n"
                                   "commands:\n"
                                   "  settings [--save]   print every setting as SECTION<TAB>Key<TAB>value;\n"
                                   "                      --save then writes the settings file\n"
                                   "  paths               print where the program's files live\n";

using Command = std::function<int(CliContext&, const std::vector<std::string>&)>;

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"settings", runSettings},
        {"paths", runPaths},
    };
    return table;
}

int usage(std::ostream& err, const std::string& message) {
    if (!message.empty()) {
        err << "velmora-cli: " << message << "\n";
    }
    err << kUsageText;
    return kUsage;
}

} // namespace

StartupState CliContext::startUp() const {
    return runStartup(makeStartupEnvironment(platform, clock, home, today));
}

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    auto platform = createPlatform();
    auto clock = platform->createClock();
    CliContext context{*platform, *clock, {}, std::nullopt, std::cout, std::cerr};

    std::size_t i = 0;
    for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
        const std::string& option = args[i];
        if (option == "--help") {
            std::cout << kUsageText;
            return kOk;
        }
        if (i + 1 >= args.size()) {
            return usage(std::cerr, option + " needs a value");
        }
        if (option == "--home") {
            context.home = args[++i];
        } else if (option == "--today") {
            context.today = parseDate(args[++i]);
            if (!context.today) {
                return usage(std::cerr, "--today takes a date yyyy/mm/dd: " + args[i]);
            }
        } else {
            return usage(std::cerr, "unknown option " + option);
        }
    }
    if (i >= args.size()) {
        return usage(std::cerr, "no command");
    }
    const auto command = commands().find(args[i]);
    if (command == commands().end()) {
        return usage(std::cerr, "unknown command " + args[i]);
    }
    try {
        return command->second(context, std::vector<std::string>(args.begin() + static_cast<long>(i) + 1, args.end()));
    } catch (const UsageError& e) {
        return usage(std::cerr, e.message);
    }
}

} // namespace velmora::cli

int main(int argc, char** argv) {
    return velmora::cli::main(argc, argv);
}
