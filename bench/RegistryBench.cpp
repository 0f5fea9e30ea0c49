// Loading a large hive, the key opens and value reads that configuration reads make, and the
// registry layer's multi-string read beside a text read of the same size.
#include "config/ConfigManager.h"
#include "config/MyRegistry.h"
#include "platform/Registry.h"
#include "platform/RegistryStore.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdlib.h>
#include <string>

#include <benchmark/benchmark.h>

namespace {

namespace fs = std::filesystem;
using namespace vx::win;

constexpr int Keys = 1000;
constexpr int ValuesPerKey = 100; // 100,000 values in all

// A prefix whose system.reg holds Keys keys of ValuesPerKey values of mixed kinds.
class TGeneratedPrefix {
public:
    TGeneratedPrefix() {
        std::string pattern = (fs::temp_directory_path() / "vx-bench-XXXXXX").string();
        FDir = ::mkdtemp(pattern.data());
        std::ofstream out(FDir / "system.reg", std::ios::binary);
        out << "Windows Registry Editor Version 5.00\r\n\r\n";
        for (int k = 0; k < Keys; ++k) {
            out << "[HKEY_LOCAL_MACHINE\\Software\\Bench\\Key" << k << "]\r\n";
            for (int v = 0; v < ValuesPerKey; ++v) {
                switch (v % 3) {
                case 0:
                    out << "\"Text" << v << "\"=\"value number " << v << " of key " << k
                        << "\"\r\n";
                    break;
                case 1:
                    out << "\"Number" << v << "\"=dword:" << std::hex << (k * v) << std::dec
                        << "\r\n";
                    break;
                default:
                    out << "\"Bytes" << v << "\"=hex:01,02,03,04,05,06,07,08\r\n";
                }
            }
            out << "\r\n";
        }
        out << "[HKEY_LOCAL_MACHINE\\Software\\Qelvane Limited\\Korvex - Thornet 2\\Welcome]\r\n"
               "\"LastUpdate\"=\"2026-12-01 10:00\"\r\n";
    }
    ~TGeneratedPrefix() {
        std::error_code ec;
        fs::remove_all(FDir, ec);
    }
    const fs::path& Dir() const { return FDir; }

private:
    fs::path FDir;
};

TGeneratedPrefix& Prefix() {
    static TGeneratedPrefix prefix;
    return prefix;
}

void BM_LoadHiveOf100000Values(benchmark::State& state) {
    for (auto _ : state) {
        TRegistryStore store(Prefix().Dir());
        benchmark::DoNotOptimize(&store);
    }
}
BENCHMARK(BM_LoadHiveOf100000Values)->Unit(benchmark::kMillisecond);

// One open, one sized read, one close: what each configuration lookup costs per root.
void BM_OpenAndReadText(benchmark::State& state) {
    InstallRegistryStore(std::make_shared<TRegistryStore>(Prefix().Dir()));
    char buffer[256];
    for (auto _ : state) {
        HKEY key = 0;
        RegOpenKeyEx(HKEY_LOCAL_MACHINE, "\\Software\\Qelvane Limited\\Korvex - Thornet 2\\Welcome",
                     KEY_READ, &key);
        DWORD type = 0;
        DWORD size = sizeof buffer;
        RegQueryValueEx(key, "LastUpdate", &type, reinterpret_cast<std::uint8_t*>(buffer), &size);
        RegCloseKey(key);
        benchmark::DoNotOptimize(buffer);
    }
    InstallRegistryStore(nullptr);
}
BENCHMARK(BM_OpenAndReadText)->Unit(benchmark::kMicrosecond);

// The status loader's read of the last update: machine key first, then the user's.
void BM_ConfigManagerReadString(benchmark::State& state) {
    InstallRegistryStore(std::make_shared<TRegistryStore>(Prefix().Dir()));
    vx::config::CreateConfigManager("bench");
    vx::config::ConfigManager().SetProductName("Korvex - Thornet 2");
    std::string value;
    for (auto _ : state) {
        vx::config::ConfigManager().ReadString("Welcome", "LastUpdate", value);
        benchmark::DoNotOptimize(value);
    }
    vx::config::FreeConfigManager();
    InstallRegistryStore(nullptr);
}
BENCHMARK(BM_ConfigManagerReadString)->Unit(benchmark::kMicrosecond);

// A store whose machine key "Software\\Bench\\Texts" holds "Multi", `strings` one-letter
// strings as REG_MULTI_SZ, and "Text", a REG_SZ of the same number of bytes: the multi-string
// read is measured against the text read as its peer, so that their ratio, not a time, shows
// whether the multi-string read stays linear.
class TTextsPrefix {
public:
    explicit TTextsPrefix(std::int64_t strings) {
        std::string pattern = (fs::temp_directory_path() / "vx-bench-XXXXXX").string();
        FDir = ::mkdtemp(pattern.data());
        InstallRegistryStore(std::make_shared<TRegistryStore>(FDir));
        std::string multi;
        for (std::int64_t i = 0; i < strings; ++i) {
            multi += 's';
            multi += '\0';
        }
        multi += '\0';
        const std::string text(multi.size() - 1, 't');
        HKEY key = 0;
        RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Bench\\Texts", KEY_ALL_ACCESS, &key);
        RegSetValueEx(key, "Multi", REG_MULTI_SZ,
                      reinterpret_cast<const std::uint8_t*>(multi.data()),
                      static_cast<DWORD>(multi.size()));
        RegSetValueEx(key, "Text", REG_SZ, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                      static_cast<DWORD>(text.size() + 1));
        RegCloseKey(key);
    }
    ~TTextsPrefix() {
        InstallRegistryStore(nullptr);
        std::error_code ec;
        fs::remove_all(FDir, ec);
    }
    TTextsPrefix(const TTextsPrefix&) = delete;
    TTextsPrefix& operator=(const TTextsPrefix&) = delete;

private:
    fs::path FDir;
};

void ReadTexts(benchmark::State& state, const char* valueName, bool multi) {
    const TTextsPrefix prefix(state.range(0));
    vx::config::TMyRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyForReading("\\Software\\Bench\\Texts")) {
        state.SkipWithError("the bench key did not open");
        return;
    }
    for (auto _ : state) {
        std::string text =
            multi ? registry.ReadMultiStringValue(valueName) : registry.ReadStringValue(valueName);
        benchmark::DoNotOptimize(text);
    }
    state.SetComplexityN(state.range(0));
}

// A REG_MULTI_SZ of N strings read as CR LF lines; its peer below reads as many bytes of text.
void BM_ReadMultiStringValue(benchmark::State& state) {
    ReadTexts(state, "Multi", true);
}
BENCHMARK(BM_ReadMultiStringValue)
    ->Arg(10000)
    ->Arg(80000)
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);

void BM_ReadStringValueOfTheSameSize(benchmark::State& state) {
    ReadTexts(state, "Text", false);
}
BENCHMARK(BM_ReadStringValueOfTheSameSize)
    ->Arg(10000)
    ->Arg(80000)
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
