#include "LngCommands.h"

#include "i18n/LanguageFile.h"
#include "i18n/LanguageFileReader.h"
#include "i18n/LanguageFileWriter.h"
#include "platform/Exception.h"
#include "platform/TextCodec.h"

#include <fstream>
#include <set>
#include <string_view>

namespace vx::vxlng {
namespace {

constexpr const char* CompressIndicator = "LCF";

std::string ReadText(const std::string& path) {
    try {
        return i18n::ReadLanguageFileText(path, CompressIndicator);
    } catch (const i18n::ELanguageFileError&) {
        throw vx::Exception("cannot read " + path);
    }
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        throw vx::Exception("cannot write " + path);
    }
}

} // namespace

void Pack(const std::string& plainPath, const std::string& lngPath) {
    // The plain file is taken as it stands, even one that begins like the compressed form.
    std::ifstream plain(plainPath, std::ios::binary);
    if (!plain) {
        throw vx::Exception("cannot read " + plainPath);
    }
    const std::string text{std::istreambuf_iterator<char>(plain), {}};
    if (plain.bad()) {
        throw vx::Exception("cannot read " + plainPath);
    }
    WriteFile(lngPath, i18n::CompressLanguageText(text, CompressIndicator));
}

void Unpack(const std::string& lngPath, const std::string& plainPath) {
    WriteFile(plainPath, ReadText(lngPath));
}

int Check(const std::string& path, std::ostream& out) {
    const i18n::TLanguageFile ini(ReadText(path));
    int findings = 0;
    std::set<std::string> seenSections;
    for (const std::string& section : ini.SectionNames()) {
        if (!seenSections.insert(win::FoldCase(section)).second) {
            out << "[" << section << "] occurs again: never read (the first wins)\n";
            ++findings;
            continue;
        }
        const auto keys = ini.ReadSection(section);
        out << "[" << section << "] " << keys.size() << (keys.size() == 1 ? " key\n" : " keys\n");
        for (const std::string& line : ini.ReadSectionValues(section)) {
            if (line.find('=') == std::string::npos) {
                out << "  no \"=\": " << line << "\n";
                ++findings;
            }
        }
        std::set<std::string> seenKeys;
        for (const std::string& key : keys) {
            if (!seenKeys.insert(win::FoldCase(key)).second) {
                out << "  key occurs again: " << key << " (the first wins)\n";
                ++findings;
            }
        }
    }
    return findings;
}

} // namespace vx::vxlng
