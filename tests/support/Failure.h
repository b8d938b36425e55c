#pragma once
// How a test helper fails: it records the failure with QTest::qFail at the
// test's own line and throws Driver::Abort, which the test body catches at
// its end. The failing test stops there and the next one runs. Every test
// function that uses tests/support (the driver, TestDb's statements, the
// page fixture) wraps its body:
//
//     void saveChecksInOrder()
//     {
//         TEST_BEGIN
//         PageFixture f;
//         Tf_zhichu page;
//         click(&page, "Button3");
//         ...
//         TEST_END
//     }
//
// Why not let the exception leave the test function: QTest in this Qt version
// then ends the whole executable, so the remaining tests would not run. Why
// not QFAIL inside the helper: it only returns from the helper, and the test
// would go on with a null pointer or a made-up value. A helper called outside
// TEST_BEGIN/TEST_END fails the test at once, even when it would succeed, so a
// forgotten wrapper shows on the first run (a fault there as well would end
// the executable).
//
// Inside the body the Qt Test macros work as usual: QVERIFY, QCOMPARE,
// QFETCH, QSKIP and QTRY_* return from the body, which ends the test.

#include <QString>
#include <source_location>

using SourceLocation = std::source_location;
// The caller's line, as the last parameter of every helper.
#define DRIVER_HERE const SourceLocation& where = SourceLocation::current()

namespace Driver {

// Thrown after a failure has been recorded; only TEST_END catches it.
struct Abort {};

// Records `message` as the test's failure at `where` and stops the test.
[[noreturn]] void fail(const QString& message, DRIVER_HERE);

namespace detail {
// Fails the test (once) when called outside TEST_BEGIN/TEST_END.
void requireBody(const SourceLocation& where);

struct Body {
    template <class F> void operator<<(F&& body) const
    {
        struct Depth {
            Depth() { ++depth(); }
            ~Depth() { --depth(); }
        } inside;
        try {
            body();
        } catch (const Abort&) {
            // Recorded by fail(); the test stops here.
        }
    }
    static int& depth();
};
}  // namespace detail

}  // namespace Driver

#define TEST_BEGIN ::Driver::detail::Body() << [&]() -> void {
#define TEST_END                                                                                                       \
    }                                                                                                                  \
    ;
