// Throughput of the reader and of read-then-rewrite on generated settings
// files, beside a plain buffered copy of the same file in the same run.
// Files are generated at run time in a scratch folder and removed afterwards.
//
//   core_bench [benchmark flags]       run the benchmarks (1 MB and 64 MB)
//   core_bench generate PATH MEGABYTES write one generated file and exit
#include "LumasetCore.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A settings file as a machine with many runtimes might have it, repeated:
// comments, other keys, and args and enabled lines for forty JRE numbers
// (the first 25 enabled ones get rewritten).
void Generate(const fs::path &path, size_t bytes) {
    File out(std::fopen(path.string().c_str(), "wb"));
    if (!out) {
        std::perror(path.string().c_str());
        std::exit(1);
    }
    std::string block;
    size_t written = 0;
    for (unsigned i = 0; written < bytes; ++i) {
        const std::string n = std::to_string(i % 40);
        block = "#deployment.properties block " + std::to_string(i) + "\r\n" +
                "deployment.javaws.jre." + n + ".args=-Xmx256m -Dsun.java2d.d3d\\=true -Dfoo.bar\\=baz\r\n" +
                "deployment.javaws.jre." + n + ".enabled=true\r\n" +
                "deployment.javaws.jre." + n + ".path=C\\:\\\\Program Files\\\\Java\\\\jre6\\\\bin\\\\javaw.exe\r\n" +
                "deployment.cache.max.size" + std::to_string(i) + "=-1\r\n";
        std::fwrite(block.data(), 1, block.size(), out.get());
        written += block.size();
    }
}

const fs::path &Folder() {
    static const fs::path folder = [] {
        fs::path f = fs::temp_directory_path() / ("lumaset-bench-" + std::to_string(std::rand()));
        fs::create_directories(f);
        return f;
    }();
    return folder;
}

// The generated original of the given size, made once per run.
const fs::path &Original(size_t megabytes) {
    static std::map<size_t, fs::path> files;
    auto found = files.find(megabytes);
    if (found == files.end()) {
        const fs::path path = Folder() / ("original-" + std::to_string(megabytes) + ".properties");
        Generate(path, megabytes << 20);
        found = files.emplace(megabytes, path).first;
    }
    return found->second;
}

void BM_Copy(benchmark::State &state) {
    const fs::path &original = Original(state.range(0));
    const fs::path copy = Folder() / "copy";
    static char buffer[64 * 1024];
    for (auto _ : state) {
        File in(std::fopen(original.string().c_str(), "rb"));
        File out(std::fopen(copy.string().c_str(), "wb"));
        size_t count;
        while ((count = std::fread(buffer, 1, sizeof buffer, in.get())) > 0)
            std::fwrite(buffer, 1, count, out.get());
        std::fflush(out.get());
    }
    state.SetBytesProcessed(state.iterations() * fs::file_size(original));
}

void BM_Read(benchmark::State &state) {
    const fs::path &original = Original(state.range(0));
    for (auto _ : state) {
        LumasetCore core;
        core.ParseFile(original.string());
        benchmark::DoNotOptimize(core.m_nEnabledJRE);
    }
    state.SetBytesProcessed(state.iterations() * fs::file_size(original));
}

// The whole apply: read for the enabled list, then EditConf with its flush
// to disk and the atomic replacement.
void BM_ReadRewrite(benchmark::State &state) {
    const fs::path &original = Original(state.range(0));
    const fs::path work = Folder() / "deployment.properties";
    LumasetCore::ParamsValues silent;
    silent.m_bD3D = false;
    silent.m_bNoDDraw = silent.m_bForceVram = true;
    for (auto _ : state) {
        state.PauseTiming();
        fs::copy_file(original, work, fs::copy_options::overwrite_existing);
        state.ResumeTiming();
        LumasetCore core;
        core.ParseFile(work.string());
        core.m_JREPath = work.string();
        core.EditConf(silent);
    }
    state.SetBytesProcessed(state.iterations() * fs::file_size(original));
}

// The rewriter's streaming alone: from the file into a sink that drops the
// bytes, so that neither the reader nor the flush to disk is counted.
void BM_RewriteStream(benchmark::State &state) {
    const fs::path &original = Original(state.range(0));
    LumasetCore core;
    core.ParseFile(original.string());
    LumasetCore::ParamsValues silent;
    silent.m_bD3D = false;
    silent.m_bNoDDraw = silent.m_bForceVram = true;
    class Discard : public lumaset::ByteSink {
    public:
        void Write(const char *data, size_t length) override { benchmark::DoNotOptimize(data + length); }
    } out;
    class FileSource : public lumaset::ByteSource {
    public:
        explicit FileSource(std::FILE *file) : file_(file) {}
        size_t Read(char *buffer, size_t capacity) override { return std::fread(buffer, 1, capacity, file_); }

    private:
        std::FILE *file_;
    };
    for (auto _ : state) {
        File file(std::fopen(original.string().c_str(), "rb"));
        FileSource in(file.get());
        core.Rewrite(in, out, silent, "\r\n");
    }
    state.SetBytesProcessed(state.iterations() * fs::file_size(original));
}

BENCHMARK(BM_Copy)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Read)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RewriteStream)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadRewrite)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    if (argc == 4 && std::string(argv[1]) == "generate") {
        Generate(argv[2], std::strtoull(argv[3], nullptr, 10) << 20);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(Folder(), ignored);
    return 0;
}
