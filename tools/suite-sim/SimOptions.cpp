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
    "\"verdict id=N allow\" (or deny). Ctrl+C (SIGINT) or SIGTERM stops it.\n"
    "\n"
    "  --services LIST      which services run: a comma-separated list of update, firewall,\n"
    "                       scanner, monitor (default: all four)\n"
    "  --corrupt NAME       the service NAME answers with a wrong token (repeatable)\n"
    "  --hang NAME          the service NAME accepts connections and never answers\n"
    "                       (repeatable)\n"
    "  --monitor-reply TEXT the monitor's reply to a verdict (default \"1\"; \"0\" refuses)\n"
    "  --monitor-404        the monitor answers verdicts with 404 (not delivered)\n"
    "  --add QUERY          send one GET /add?QUERY to the tray (127.0.0.1:21324), print the\n"
    "                       reply and exit: 0 when the tray took the decision, else 1.\n"
    "                       QUERY is sent as given, e.g. module=Registry&information=Run%20key\n"
    "  --raise SECONDS      every SECONDS (1 to 86400) send the tray a sample decision, a\n"
    "                       different one each time, and print the identifier it got\n"
    "  --help               show this text and exit\n";

constexpr int MaxRaiseSeconds = 86400;

void RequireService(const std::string& Option, const std::string& Name) {
    if (FindSimulatedService(Name) == nullptr) {
        throw EUsage(Option + ": unknown service '" + Name +
                     "' (expected update, firewall, scanner or monitor)");
    }
}

std::set<std::string> ParseServiceList(const std::string& List) {
    std::set<std::string> Names;
    std::size_t Start = 0;
    while (true) {
        const auto Comma = List.find(',', Start);
        const std::string Name = List.substr(Start, Comma - Start);
        RequireService("--services", Name);
        Names.insert(Name);
        if (Comma == std::string::npos) {
            return Names;
        }
        Start = Comma + 1;
    }
}

int ParseSeconds(const std::string& Text) {
    int Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Text.empty() || Error != std::errc() || End != Text.data() + Text.size() || Value < 1 ||
        Value > MaxRaiseSeconds) {
        throw EUsage("--raise: '" + Text + "' is not a number of seconds from 1 to 86400");
    }
    return Value;
}

} // namespace

const char* SimUsageText() {
    return UsageText;
}

TSimOptions ParseSimOptions(const std::vector<std::string>& Args) {
    TSimOptions Options;
    for (const auto& Service : SimulatedServices()) {
        Options.Services.insert(Service.OptionName);
    }
    for (std::size_t I = 0; I < Args.size(); ++I) {
        const std::string& Arg = Args[I];
        if (Arg == "--help" || Arg == "-h") {
            Options.Help = true;
            continue;
        }
        if (Arg == "--monitor-404") {
            Options.Monitor404 = true;
            continue;
        }
        const bool TakesValue = Arg == "--services" || Arg == "--corrupt" || Arg == "--hang" ||
                                Arg == "--monitor-reply" || Arg == "--add" || Arg == "--raise";
        if (!TakesValue) {
            throw EUsage("unknown option '" + Arg + "'");
        }
        if (I + 1 >= Args.size()) {
            throw EUsage(Arg + " needs a value");
        }
        const std::string& Value = Args[++I];
        if (Arg == "--services") {
            Options.Services = ParseServiceList(Value);
        } else if (Arg == "--corrupt") {
            RequireService(Arg, Value);
            Options.Corrupt.insert(Value);
        } else if (Arg == "--hang") {
            RequireService(Arg, Value);
            Options.Hang.insert(Value);
        } else if (Arg == "--monitor-reply") {
            Options.MonitorReply = Value;
        } else if (Arg == "--add") {
            Options.AddQuery = Value;
        } else {
            Options.RaiseSeconds = ParseSeconds(Value);
        }
    }
    return Options;
}

} // namespace vx::suitesim
