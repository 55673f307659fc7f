#include "ShowSummary.h"

#include <gtest/gtest.h>

namespace {

TEST(ShowSummary, DurationOfTheWorkedFigures) {
    const struct {
        QStringList timings;
        int delay;
        bool advance;
        bool loop;
        const char* text;
    } cases[] = {
        {{"0", "0", "0"}, 20, true, false, "Duration: 1 minute "},
        {{"0", "0", "0"}, 20, true, true, "Duration: 1 minute  [Loop]"},
        {{"61000", "0"}, 3, true, false, "Duration: 1 minute 4 seconds"},
        {{"60000", "1000"}, 3, true, false, "Duration: 1 minute 1 second"},
        {{"1000"}, 10, true, false, "Duration: 1 second"},
        {{}, 10, true, false, "Duration: 0 seconds"},
        {{"1499", "1500"}, 10, true, false, "Duration: 3 seconds"}, // 1 + 2: halves go up
        {{"125000"}, 10, true, true, "Duration: 2 minutes 5 seconds [Loop]"},
        {{"0"}, 60, true, false, "Duration: 1 minute "},
        {{"0", "0"}, 10, false, true, "Duration: [manual advance]"},
    };
    for (const auto& c : cases) {
        const std::optional<int> seconds = ShowSummary::estimatedSeconds(c.timings, c.delay);
        ASSERT_TRUE(seconds.has_value()) << c.text;
        EXPECT_EQ(ShowSummary::durationText(*seconds, c.advance, c.loop), QLatin1String(c.text));
    }
}

TEST(ShowSummary, ADamagedTimeIsNamed) {
    QString bad;
    EXPECT_FALSE(ShowSummary::estimatedSeconds({"0", "2.5s", "x"}, 10, &bad).has_value());
    EXPECT_EQ(bad, "2.5s");
    EXPECT_EQ(ShowSummary::estimatedSeconds({"00"}, 10), 0) << "only \"0\" itself means the default delay";
}

} // namespace
