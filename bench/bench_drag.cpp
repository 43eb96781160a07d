// Dragging a line across the custom card with a 12-megapixel background
// picture, against the same drag on a plain card: every pointer move is
// handled and the changed part of the card repainted. Also reports the
// peak memory with the picture loaded.

#include "BenchUtil.h"

#include "designer/CardSurface.h"
#include "support/Harness.h"
#include "support/ProcessMemory.h"

#include <QApplication>
#include <QMouseEvent>

namespace {

// Counts the paints, to show the drag really repaints.
class PaintCounter final : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Picks up line 0 and moves it along a diagonal zigzag, repainting as the
// event loop does after each move.
double drag(Harness& h)
{
    auto& preview = h.forms->CustomPre;
    designer::CardSurface* surface = preview.controls().surface;
    return bench::timeMs([&] {
        preview.Label1_Click(0);
        preview.Label1_DblClick(0);
        for (int i = 0; i < 400; ++i) {
            const QPointF p(20 + (i * 7) % 700, 20 + (i * 5) % 500);
            QMouseEvent move(QEvent::MouseMove, p, surface->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(surface, &move);
            QApplication::processEvents();
        }
        preview.Label1_Click(0);
    });
}

void open(Harness& h)
{
    h.forms->start();
    h.forms->Tessera.Command7_Click();
    for (int i = 0; i < 3; ++i)
        h.forms->CustomOp.Command9_Click();
    h.forms->CustomPre.window()->resize(800, 600);
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    configureTestApplication();

    Harness plain;
    open(plain);
    const long before = peakResidentKb();
    Harness pictured;
    open(pictured);
    QImage photo(4000, 3000, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x)
            row[x] = qRgb(x % 256, y % 256, (x ^ y) % 256);
    }
    pictured.pictures->images.insert(QStringLiteral("/photos/12mp.jpg"), photo);
    pictured.dialogs->openAnswers.push_back(QStringLiteral("/photos/12mp.jpg"));
    pictured.forms->CustomOp.Command12_Click();
    photo = QImage();
    QApplication::processEvents();
    const long after = peakResidentKb();

    PaintCounter counter;
    pictured.forms->CustomPre.controls().surface->installEventFilter(&counter);
    const auto result = bench::alternate(
        9, [&] { return drag(plain); }, [&] { return drag(pictured); });
    std::printf("drag: %d paints of the pictured card over %d drags of 400 moves\n", counter.paints, 10);
    std::printf("drag: peak memory %ld MB before the picture, %ld MB with the 12-megapixel picture loaded\n",
                before / 1024, after / 1024);
    bench::report("drag", result, 1.2);
    return 0;
}
