#include "tests/fuzz/Fuzz.h"
#include "tests/fuzz/FuzzDriver.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace Fuzz {
namespace {
const uint8_t* g_data = nullptr;
size_t g_size = 0;
std::vector<std::function<void()>> g_finish;
}

void setCurrentInput(const uint8_t* data, size_t size)
{
    g_data = data;
    g_size = size;
}

QByteArray currentInput()
{
    return g_data ? QByteArray(reinterpret_cast<const char*>(g_data), qsizetype(g_size)) : QByteArray();
}

QString hex(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex(' ')); }

void failWithInput(const QString& what, const QByteArray& input)
{
    std::fprintf(stderr, "FUZZ FAILURE: %s\n", what.toUtf8().constData());
    if (!underLibFuzzer()) {
        std::fprintf(stderr, "input (%lld bytes, hex): %s\n", (long long)input.size(),
                     hex(input).toLatin1().constData());
        std::fflush(stderr);
        std::_Exit(1);
    }
    std::fflush(stderr);
    std::abort();  // libFuzzer keeps the input as a crash file
}

void fail(const QString& what) { failWithInput(what, currentInput()); }

void atFinish(std::function<void()> finish) { g_finish.push_back(std::move(finish)); }

void runFinish()
{
    for (const auto& f : g_finish)
        f();
}

bool underLibFuzzer()
{
#ifdef JIZHANG_LIBFUZZER
    return true;
#else
    return false;
#endif
}

void ensureApplication()
{
    if (qApp)
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    // Never destroyed: widgets a harness keeps between inputs outlive main().
    new QApplication(argc, argv);
}

}  // namespace Fuzz
