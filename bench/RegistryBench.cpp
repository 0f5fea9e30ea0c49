// Loading a large hive, and the key opens and value reads that configuration reads make.
#include "config/ConfigManager.h"
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

} // namespace

BENCHMARK_MAIN();
