// vxlng: language files for translators: packs and unpacks the compressed form and checks what
// the translator reads from a file, and writes the template a translation starts from.
#include "LngCommands.h"
#include "LngTemplate.h"
#include "platform/Exception.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* Usage =
    "usage: vxlng pack PLAIN LNG      write the compressed form of PLAIN\n"
    "       vxlng unpack LNG PLAIN    write the text of LNG (either form)\n"
    "       vxlng check FILE          list sections, key counts, lines\n"
    "                                 without \"=\" and repeated keys\n"
    "       vxlng template FILE       write every translatable text of the\n"
    "                                 tray, in English, for a translator\n";

int Run(const std::vector<std::string>& args) {
    if (args.size() == 3 && args[0] == "pack") {
        vx::vxlng::Pack(args[1], args[2]);
        return 0;
    }
    if (args.size() == 3 && args[0] == "unpack") {
        vx::vxlng::Unpack(args[1], args[2]);
        return 0;
    }
    if (args.size() == 2 && args[0] == "check") {
        vx::vxlng::Check(args[1], std::cout);
        return 0;
    }
    if (args.size() == 2 && args[0] == "template") {
        vx::vxlng::Template(args[1]);
        return 0;
    }
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        std::cout << Usage;
        return 0;
    }
    std::cerr << Usage;
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const vx::Exception& error) {
        std::cerr << "vxlng: " << error.Message() << "\n";
        return 1;
    }
}
