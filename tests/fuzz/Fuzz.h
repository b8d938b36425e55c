#pragma once
// What the fuzz harnesses share. Each tests/fuzz/tst_fuzz_*.cpp defines
// libFuzzer's entry point LLVMFuzzerTestOneInput and nothing else; built
// normally, FuzzDriver.cpp supplies main() and feeds it the harness's corpus
// (tests/fuzz/corpus/<name>/) plus mutations from a fixed seed, so CTest runs
// every harness the same way each time. scripts/fuzz.sh links the same files
// with libFuzzer (JIZHANG_LIBFUZZER) for long runs by hand.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// How many mutated inputs the CTest run tries (besides the corpus); each
// harness states it once: FUZZ_RUNS(4000);
#define FUZZ_RUNS(n) extern const int jizhangFuzzRuns = (n)

namespace Fuzz {

// The oracle disagreed: prints `what` and the input as hex, then ends the
// process (abort() under libFuzzer, which keeps the input as a crash file).
[[noreturn]] void fail(const QString& what);

// fail() unless `ok`; `what` is built only on failure.
inline void check(bool ok, const std::function<QString()>& what)
{
    if (!ok)
        fail(what());
}

// The input being run, for messages.
QByteArray currentInput();

// Runs after the last input of a CTest run (never under libFuzzer): a
// harness that checks its results in one batch (the workbook reader) does it
// there and calls fail() with the input that went wrong.
void atFinish(std::function<void()> finish);
// Reports the input `input` as the failing one from inside a finish step.
[[noreturn]] void failWithInput(const QString& what, const QByteArray& input);

bool underLibFuzzer();

// A QApplication on the offscreen platform, made on first use.
void ensureApplication();

// A reader over the input bytes: every call takes what it needs and gives 0
// once the input is used up, so any input decodes to something.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool empty() const { return m_pos >= m_size; }
    size_t left() const { return m_pos < m_size ? m_size - m_pos : 0; }
    uint8_t u8() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint64_t u64()
    {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v = v << 8 | u8();
        return v;
    }
    // A number in [0, n) (n > 0).
    unsigned below(unsigned n) { return n <= 256 ? u8() % n : unsigned((u8() << 8 | u8()) % n); }
    // Up to `max` raw bytes.
    QByteArray take(size_t max)
    {
        const size_t n = std::min(max, left());
        QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(n));
        m_pos += n;
        return out;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

QString hex(const QByteArray& bytes);

}  // namespace Fuzz
