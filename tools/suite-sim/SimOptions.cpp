#include "suite-sim/SimOptions.h"

#include "suite-sim/SimServices.h"

#include <charconv>

namespace vx::suitesim {

namespace {

constexpr const char* const UsageText =
    "Usage: suite-sim [OPTION]...\n"
    "Runs the suite's update, firewall, scanner and monitor services on 127.0.0.1 (ports\n"
    "21321, 21322, 21323 and 21325), each answering /integrity-local with its integrity token\n"
    "made from the machine key of the prefix ($VXTRAY_PREFIX, else\n"
    "$XDG_DATA_HOME/korvex-thornet-2/prefix). The monitor takes verdicts at\n"
    "/applydecision?decisionid=N&decision=allow|deny and prints each as\n"
    "\"verdict id=N allow\" (or deny), and Live Protection switched at\n"
    "/liveprotection?enabled=0|1, printed as \"live protection off\" (or on); while it is off\n"
    "the monitor raises nothing. Ctrl+C (SIGINT) or SIGTERM stops it.\n"
    "\n"
    "  --services LIST      which services run: a comma-separated list of update, firewall,\n"
    "                       scanner, monitor (default: all four)\n"
    "  --corrupt NAME       the service NAME answers with a wrong token (repeatable)\n"
    "  --hang NAME          the service NAME accepts connections and never answers\n"
    "                       (repeatable)\n"
    "  --monitor-reply TEXT the monitor's reply to a verdict or a Live Protection request\n"
    "                       (default \"1\"; \"0\" refuses)\n"
    "  --monitor-404        the monitor answers both with 404 (not delivered)\n"
    "  --add QUERY          send one GET /add?QUERY to the tray (127.0.0.1:21324), print the\n"
    "                       status line of its answer (\"HTTP/1.0 200\") and the body, and\n"
    "                       exit: 0 when the tray took the decision, else 1 with the reason\n"
    "                       on standard error. QUERY is sent as given (bytes that cannot\n"
    "                       stand in a URL percent-encoded) and needs the fields module and\n"
    "                       information, e.g. module=Registry&information=Run%20key\n"
    "  --raise SECONDS      every SECONDS (1 to 86400) send the tray a sample decision, a\n"
    "                       different one each time, and print the identifier it got;\n"
    "                       nothing while Live Protection is off\n"
    "  --help               show this text and exit\n";

constexpr int MaxRaiseSeconds = 86400;

void RequireService(const std::string& option, const std::string& name) {
    if (FindSimulatedService(name) == nullptr) {
        throw EUsage(option + ": unknown service '" + name +
                     "' (expected update, firewall, scanner or monitor)");
    }
}

std::set<std::string> ParseServiceList(const std::string& list) {
    std::set<std::string> names;
    std::size_t start = 0;
    while (true) {
        const auto comma = list.find(',', start);
        const std::string name = list.substr(start, comma - start);
        RequireService("--services", name);
        names.insert(name);
        if (comma == std::string::npos) {
            return names;
        }
        start = comma + 1;
    }
}

int ParseSeconds(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1 ||
        value > MaxRaiseSeconds) {
        throw EUsage("--raise: '" + text + "' is not a number of seconds from 1 to 86400");
    }
    return value;
}

} // namespace

const char* SimUsageText() {
    return UsageText;
}

TSimOptions ParseSimOptions(const std::vector<std::string>& args) {
    TSimOptions options;
    for (const auto& service : SimulatedServices()) {
        options.Services.insert(service.OptionName);
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.Help = true;
            continue;
        }
        if (arg == "--monitor-404") {
            options.Monitor404 = true;
            continue;
        }
        const bool takesValue = arg == "--services" || arg == "--corrupt" || arg == "--hang" ||
                                arg == "--monitor-reply" || arg == "--add" || arg == "--raise";
        if (!takesValue) {
            throw EUsage("unknown option '" + arg + "'");
        }
        if (i + 1 >= args.size()) {
            throw EUsage(arg + " needs a value");
        }
        const std::string& value = args[++i];
        if (arg == "--services") {
            options.Services = ParseServiceList(value);
        } else if (arg == "--corrupt") {
            RequireService(arg, value);
            options.Corrupt.insert(value);
        } else if (arg == "--hang") {
            RequireService(arg, value);
            options.Hang.insert(value);
        } else if (arg == "--monitor-reply") {
            options.MonitorReply = value;
        } else if (arg == "--add") {
            options.AddQuery = value;
        } else {
            options.RaiseSeconds = ParseSeconds(value);
        }
    }
    return options;
}

} // namespace vx::suitesim
