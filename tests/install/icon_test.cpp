// The icon the application draws must look like the installed one made from the SVG.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <cmath>
#include <cstdlib>
#include <string>

#include "app/form_widgets.h"

namespace velomar {
namespace {

// Mean difference per channel, 0 to 255, over every pixel of two same-sized pictures.
double meanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            sum += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                   std::abs(p.blue() - q.blue()) + std::abs(p.alpha() - q.alpha());
        }
    }
    return sum / (4.0 * a.width() * a.height());
}

struct IconCase {
    int size;
    // Edges are smoothed a little differently, most at small sizes. A missing lamp moves
    // the difference by about 0.7, a windscreen of another colour by several units.
    double limit;
};

class DrawnIcon : public testing::TestWithParam<IconCase> {};

TEST_P(DrawnIcon, MatchesTheBitmapMadeFromTheSvg) {
    const int size = GetParam().size;
    const std::string file = std::string(VELOMAR_ICON_DIR) + "/" + std::to_string(size) + "x" +
                             std::to_string(size) + "/velomar.png";
    QImage installed(QString::fromStdString(file));
    ASSERT_FALSE(installed.isNull()) << file;
    ASSERT_EQ(installed.size(), QSize(size, size));
    const QImage drawn = ApplicationIcon(size).toImage().convertToFormat(QImage::Format_ARGB32);
    installed = installed.convertToFormat(QImage::Format_ARGB32);
    EXPECT_LT(meanDifference(drawn, installed), GetParam().limit) << "size " << size;
}

INSTANTIATE_TEST_SUITE_P(Sizes, DrawnIcon,
                         testing::Values(IconCase{16, 3.5}, IconCase{32, 2.0}, IconCase{64, 0.6},
                                         IconCase{256, 0.6}));

}  // namespace
}  // namespace velomar

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
