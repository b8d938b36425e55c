// A month switch on the perpetual-calendar page (SetDateTime and one full
// repaint of the page-size control) against DescribeDay for the month's days
// alone, every month 1900-2100, both measured in the same run.
#include "bench/BenchUtil.h"
#include "calendar/ChnCal.h"
#include "calendar/LunarCalc.h"
#include "calendar/TChnCalendar.h"
#include "calendar/Tf_wannianli.h"
#include "ui/ChineseUi.h"

#include <QApplication>
#include <QImage>

namespace {
double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
double percentile90(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() * 9 / 10];
}
}

int main(int argc, char** argv)
{
    Bench::GuiApp app(argc, argv);
    InstallChineseUi(app.app);

    Tf_wannianli page;
    page.show();
    TChnCalendar* calendar = page.calendar();
    QImage screen(calendar->size(), QImage::Format_ARGB32_Premultiplied);
    calendar->render(&screen);  // fonts and glyphs loaded once, as the first paint does

    std::vector<double> describe, switchMonth;
    TChnCal info;
    for (int y = 1900; y <= 2100; ++y)
        for (int m = 1; m <= 12; ++m) {
            QElapsedTimer t;
            t.start();
            Bench::describeMonth(info, y, m);
            describe.push_back(t.nsecsElapsed() / 1e6);

            t.restart();
            calendar->SetDateTime(QDateTime(QDate(y, m, 15), QTime(12, 0)));
            calendar->render(&screen);
            switchMonth.push_back(t.nsecsElapsed() / 1e6);
            Bench::require(calendar->selectedDate().m == m, "switching the month");
        }

    const double base = median(describe), shown = median(switchMonth);
    std::printf("DescribeDay for the days of a month: median %.3f ms, 90th percentile %.3f ms (%zu months)\n", base,
                percentile90(describe), describe.size());
    std::printf("month switch (SetDateTime + repaint of 773 x 486): median %.3f ms (%.2fx), 90th percentile %.3f ms,"
                " worst %.3f ms; one frame is 16 ms\n",
                shown, shown / base, percentile90(switchMonth),
                *std::max_element(switchMonth.begin(), switchMonth.end()));
    return 0;
}
