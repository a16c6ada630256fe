// The zoom a run draws with: the one asked for while the window stays on the desktop and the
// drawn screen within its largest size, and the line that says when it was cut.
#include "screens/screen_zoom.h"

#include <gtest/gtest.h>

namespace velomar {
namespace {

struct ChoiceCase {
    const char* name;
    ZoomRequest request;
    double zoom;
    ZoomCut cut;
    const char* text;
};

class ChooseZoomTest : public testing::TestWithParam<ChoiceCase> {};

TEST_P(ChooseZoomTest, AskedZoomCutToTheDesktopAndTheLargestSize) {
    const ChoiceCase& c = GetParam();
    const ZoomChoice choice = ChooseZoom(c.request);
    EXPECT_DOUBLE_EQ(choice.zoom, c.zoom);
    EXPECT_EQ(choice.cut, c.cut);
    EXPECT_EQ(ZoomCutText(c.request, choice), c.text);
}

constexpr DesktopSize kHd{1920, 1080};
constexpr DesktopSize kFrame{8, 40};

INSTANTIATE_TEST_SUITE_P(
    Requests, ChooseZoomTest,
    testing::Values(
        ChoiceCase{"fit",
                   {{480, 800}, std::nullopt, DesktopSize{1366, 768}, kFrame},
                   0.91,
                   ZoomCut::None,
                   ""},
        ChoiceCase{"fit, picture",
                   {{480, 800}, std::nullopt, std::nullopt, kFrame},
                   1.0,
                   ZoomCut::None,
                   ""},
        ChoiceCase{"fits", {{240, 320}, 2.0, kHd, kFrame}, 2.0, ZoomCut::None, ""},
        // 1040 / 800: 1.3.
        ChoiceCase{"too tall for the desktop",
                   {{480, 800}, 2.0, kHd, kFrame},
                   1.3,
                   ZoomCut::Desktop,
                   "--zoom 2: a 960x1600 window does not fit the 1920x1080 desktop; using 1.3"},
        ChoiceCase{"smaller than asked fits nowhere",
                   {{480, 800}, 0.5, DesktopSize{100, 100}, kFrame},
                   0.25,
                   ZoomCut::Desktop,
                   "--zoom 0.5: a 240x400 window does not fit the 100x100 desktop; using 0.25"},
        ChoiceCase{"the smallest stays",
                   {{480, 800}, 0.25, DesktopSize{100, 100}, kFrame},
                   0.25,
                   ZoomCut::None,
                   ""},
        ChoiceCase{"picture too large",
                   {{4096, 4096}, 8.0, std::nullopt, kFrame},
                   1.0,
                   ZoomCut::Size,
                   "--zoom 8: the screen would be drawn 32768x32768 pixels, more than 4096 on "
                   "a side; using 1"},
        ChoiceCase{"picture at the limit",
                   {{2048, 1024}, 2.0, std::nullopt, kFrame},
                   2.0,
                   ZoomCut::None,
                   ""},
        ChoiceCase{"picture just over",
                   {{1000, 300}, 4.5, std::nullopt, kFrame},
                   4.09,
                   ZoomCut::Size,
                   "--zoom 4.5: the screen would be drawn 4500x1350 pixels, more than 4096 on a "
                   "side; using 4.09"}),
    [](const testing::TestParamInfo<ChoiceCase>& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

}  // namespace
}  // namespace velomar
