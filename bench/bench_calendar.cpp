// DescribeDay for every day of a month, as the calendar control calls it
// (the 除夕 check converts the next day too): median over 1900-2100.
#include "bench/BenchUtil.h"
#include "calendar/ChnCal.h"
#include "calendar/LunarCalc.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::printf("build type: %s\n", Bench::buildType());
    std::vector<double> perMonth;
    TChnCal info;
    EraTextOf(1900);  // read the era table once, as the first page would
    for (int y = 1900; y <= 2100; ++y)
        for (int m = 1; m <= 12; ++m) {
            QElapsedTimer t;
            t.start();
            Bench::describeMonth(info, y, m);
            perMonth.push_back(t.nsecsElapsed() / 1e6);
        }
    std::sort(perMonth.begin(), perMonth.end());
    std::printf(
        "DescribeDay, every day of a month: median %.3f ms, 90th percentile %.3f ms, worst %.3f ms (%zu months)\n",
        perMonth[perMonth.size() / 2], perMonth[perMonth.size() * 9 / 10], perMonth.back(), perMonth.size());
    return 0;
}
