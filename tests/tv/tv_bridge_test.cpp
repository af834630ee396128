// The mouse bridge's reading of "mouse://" addresses and its toolbar rule: plain logic, no
// display.
#include "tv/logic/mouse_bridge.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using mouse_bridge::parse;

struct Reading
{
    const char* address;
    const char* command;
    int x;
    int y;
};

} // namespace

TEST(MouseBridge, AddressesAreReadByTheirSeparatorsAndLeadingNumbers)
{
    const Reading readings[] = {
        {"mouse://move|10|5", "move", 10, 5}, {"mouse://move|300|250", "move", 300, 250}, {"mouse://", "", 0, 0},
        {"mouse://move", "move", 0, 0}, // no separators: still the bridge's, values 0
        {"mouse://move|42", "move", 42, 0}, {"mouse://|7|8", "", 7, 8},
        {"mouse://click|1|2|3", "click", 1, 2}, // y is the leading number of "2|3"
        {"mouse://move|-15|-3", "move", -15, -3}, {"mouse://move| 12 |\t34px", "move", 12, 34},
        {"mouse://move|x12|y5", "move", 0, 0},
        {"mouse://move|10.5|11.5", "move", 10, 12}, // halves to the even neighbour
        {"mouse://move|2.49|-2.51", "move", 2, -3}, {"mouse://move|1e3|2E-1", "move", 1000, 0},
        {"mouse://move|99999999999|-99999999999", "move", INT_MAX, INT_MIN},
        {"mouse://move|1e999|-1e999", "move", INT_MAX, INT_MIN}, // beyond a double
    };
    for (const Reading& r : readings) {
        const auto message = parse(r.address);
        ASSERT_TRUE(message.has_value()) << r.address;
        EXPECT_EQ(message->command, r.command) << r.address;
        EXPECT_EQ(message->x, r.x) << r.address;
        EXPECT_EQ(message->y, r.y) << r.address;
    }
    // Only exactly "mouse://" in the first 8 characters belongs to the bridge.
    for (const char* other : {"Mouse://move|10|5", "MOUSE://move|1|1", "mouse:/move|1|1", "mouse:", "",
             "http://mouse://move|1|1", " mouse://move|1|1", "/opt/tv/bin/tovanMTV1.ocx"})
        EXPECT_FALSE(parse(other).has_value()) << other;
}

TEST(MouseBridge, ToolbarShowsOnRealMovesAndHidesWhenTheMouseStaysPut)
{
    struct Step
    {
        int x;
        int y;
        bool shows;
        float lastX;
        float lastY;
    };
    const std::vector<std::vector<Step>> roads = {
        // The same address twice hides; a vertical move of more than a pixel shows again.
        {{10, 5, true, 10, 5}, {10, 5, false, 10, 5}, {300, 250, true, 300, 250}},
        // A horizontal move below row 199 without a vertical one hides.
        {{10, 300, true, 10, 300}, {40, 300, false, 10, 300}, {40, 302, true, 40, 302}},
        // Above row 200 a horizontal move of more than a pixel shows, one pixel does not.
        {{10, 100, true, 10, 100}, {12, 100, true, 12, 100}, {13, 101, false, 12, 100}},
        // Row 200 is the first of the lower rows; the start position itself hides.
        {{0, 0, false, 0, 0}, {5, 200, true, 5, 200}, {50, 200, false, 5, 200}, {50, 199, true, 50, 199}},
        {{-3, -3, true, -3, -3}, {-2, -2, false, -3, -3}},
    };
    for (std::size_t road = 0; road < roads.size(); ++road) {
        mouse_bridge::Position last;
        for (const Step& step : roads[road]) {
            EXPECT_EQ(mouse_bridge::showsToolbar(last, step.x, step.y), step.shows)
                << "road " << road << " at " << step.x << "," << step.y;
            EXPECT_EQ(last.x, step.lastX) << "road " << road;
            EXPECT_EQ(last.y, step.lastY) << "road " << road;
        }
    }
}
