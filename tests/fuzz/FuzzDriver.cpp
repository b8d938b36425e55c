// main() of a fuzz harness in the normal build: the seed corpus, then
// mutations of it from a fixed seed, so every CTest run tries the same
// inputs. A failed oracle or a crash ends the run with the input as hex.
// Arguments: files to run instead (a saved failing input, a libFuzzer crash
// file). Environment: JIZHANG_FUZZ_RUNS (mutated inputs), JIZHANG_FUZZ_SECONDS
// (time for them), JIZHANG_FUZZ_SEED.
#include "tests/fuzz/FuzzDriver.h"
#include "tests/fuzz/Fuzz.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

extern const int jizhangFuzzRuns;

namespace {

using Input = std::vector<uint8_t>;

const uint8_t* volatile g_running = nullptr;
volatile size_t g_runningSize = 0;

// Async-signal-safe: the input as hex through write(2).
void onCrash(int sig)
{
    static const char digits[] = "0123456789abcdef";
    const char head[] = "FUZZ FAILURE: crash (signal) on input (hex): ";
    (void)!write(2, head, sizeof head - 1);
    for (size_t i = 0; g_running && i < g_runningSize; ++i) {
        const char pair[3] = {digits[g_running[i] >> 4], digits[g_running[i] & 15], ' '};
        (void)!write(2, pair, 3);
    }
    (void)!write(2, "\n", 1);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void run(const Input& in)
{
    g_running = in.data();
    g_runningSize = in.size();
    Fuzz::setCurrentInput(in.data(), in.size());
    LLVMFuzzerTestOneInput(in.data(), in.size());
    Fuzz::setCurrentInput(nullptr, 0);
    g_running = nullptr;
}

// splitmix64: the same sequence on every machine and library.
struct Random {
    uint64_t state;
    uint64_t next()
    {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t below(size_t n) { return n ? size_t(next() % n) : 0; }
};

constexpr size_t kMaxLength = 1024;

// One to four of: flip a bit, set an interesting byte or word, insert,
// delete, duplicate a stretch, splice in a piece of another input.
Input mutate(Input in, const std::vector<Input>& pool, Random& rnd)
{
    static const uint8_t bytes[] = {0, 1, 0x7F, 0x80, 0xFF, 0x20, '0', '9', '.', '-', '+', 0xE4, 0xC0, 0x0A};
    static const uint64_t words[] = {0,
                                     1,
                                     ~0ull,
                                     0x7FFFFFFFFFFFFFFFull,
                                     0x8000000000000000ull,
                                     10000,
                                     9999,
                                     0x7FF0000000000000ull,
                                     0x3FF0000000000000ull,
                                     922337203685477ull};
    const int steps = 1 + int(rnd.below(4));
    for (int s = 0; s < steps; ++s) {
        const size_t n = in.size();
        switch (rnd.below(8)) {
        case 0:
            if (n)
                in[rnd.below(n)] ^= uint8_t(1u << rnd.below(8));
            break;
        case 1:
            if (n)
                in[rnd.below(n)] = bytes[rnd.below(sizeof bytes)];
            break;
        case 2:
            if (n >= 8) {
                const uint64_t w = words[rnd.below(std::size(words))];
                const size_t at = rnd.below(n - 7);
                for (int i = 0; i < 8; ++i)
                    in[at + i] = uint8_t(w >> (56 - 8 * i));
            }
            break;
        case 3:
        case 4: {
            const size_t count = 1 + rnd.below(rnd.below(2) ? 4 : 32);
            Input add(count);
            for (auto& b : add)
                b = rnd.below(3) ? uint8_t(rnd.next()) : bytes[rnd.below(sizeof bytes)];
            in.insert(in.begin() + std::ptrdiff_t(rnd.below(n + 1)), add.begin(), add.end());
            break;
        }
        case 5:
            if (n) {
                const size_t at = rnd.below(n);
                const size_t count = 1 + rnd.below(std::min<size_t>(n - at, 16));
                in.erase(in.begin() + std::ptrdiff_t(at), in.begin() + std::ptrdiff_t(at + count));
            }
            break;
        case 6:
            if (n) {
                const size_t at = rnd.below(n);
                const Input piece(in.begin() + std::ptrdiff_t(at),
                                  in.begin() + std::ptrdiff_t(at + 1 + rnd.below(std::min<size_t>(n - at, 64))));
                in.insert(in.begin() + std::ptrdiff_t(rnd.below(n + 1)), piece.begin(), piece.end());
            }
            break;
        default: {
            const Input& other = pool[rnd.below(pool.size())];
            if (other.empty())
                break;
            const size_t from = rnd.below(other.size());
            const size_t count = 1 + rnd.below(other.size() - from);
            const size_t at = rnd.below(n + 1);
            in.erase(in.begin() + std::ptrdiff_t(at), in.begin() + std::ptrdiff_t(std::min(n, at + count)));
            in.insert(in.begin() + std::ptrdiff_t(at), other.begin() + std::ptrdiff_t(from),
                      other.begin() + std::ptrdiff_t(from + count));
        }
        }
    }
    if (in.size() > kMaxLength)
        in.resize(kMaxLength);
    return in;
}

Input readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::_Exit(2);
    }
    const QByteArray b = f.readAll();
    return Input(b.begin(), b.end());
}

int envInt(const char* name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok ? v : fallback;
}

}  // namespace

int main(int argc, char** argv)
{
    for (int sig : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS, SIGILL})
        std::signal(sig, onCrash);
    QString name = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
    name.remove(QStringLiteral("tst_fuzz_"));

    if (argc > 1) {
        for (int i = 1; i < argc; ++i)
            run(readFile(QString::fromLocal8Bit(argv[i])));
        Fuzz::runFinish();
        std::printf("fuzz %s: %d file(s) passed\n", qPrintable(name), argc - 1);
        return 0;
    }

    const QString dir = QStringLiteral(JIZHANG_SOURCE_DIR "/tests/fuzz/corpus/") + name;
    std::vector<Input> pool;
    const QFileInfoList files = QDir(dir).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& f : files)
        pool.push_back(readFile(f.filePath()));
    if (pool.empty()) {
        std::fprintf(stderr, "no seed inputs in %s\n", qPrintable(dir));
        return 2;
    }
    const size_t seeds = pool.size();

    QElapsedTimer clock;
    clock.start();
    for (size_t i = 0; i < seeds; ++i)
        run(pool[i]);

    const int runs = envInt("JIZHANG_FUZZ_RUNS", jizhangFuzzRuns);
    const qint64 budgetMs = qint64(envInt("JIZHANG_FUZZ_SECONDS", 6)) * 1000;
    uint64_t seed = uint64_t(envInt("JIZHANG_FUZZ_SEED", 20120520));
    for (QChar c : name)
        seed = seed * 131 + c.unicode();
    Random rnd{seed};
    int done = 0;
    for (; done < runs; ++done) {
        if (clock.elapsed() > budgetMs) {
            std::printf("fuzz %s: time is up after %d of %d mutated inputs\n", qPrintable(name), done, runs);
            break;
        }
        Input in = mutate(pool[rnd.below(pool.size())], pool, rnd);
        run(in);
        // Keep some children as parents, so mutations build on each other.
        if (rnd.below(8) == 0) {
            if (pool.size() < seeds + 256)
                pool.push_back(std::move(in));
            else
                pool[seeds + rnd.below(256)] = std::move(in);
        }
    }
    Fuzz::runFinish();
    std::printf("fuzz %s: %zu seed and %d mutated inputs passed in %.1f s\n", qPrintable(name), seeds, done,
                clock.elapsed() / 1000.0);
    return 0;
}
