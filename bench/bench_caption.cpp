// Selecting, drawing and fitting a line whose caption is as long as a line
// holds, against the same for an ordinary caption. The long caption has no
// blank to wrap at, the text box's slowest case. Each round changes the
// caption (the box is fitted), selects the line (its caption fills the
// panel's text box) and draws the panel and the card.

#include "BenchUtil.h"

#include "document/Card.h"
#include "support/Harness.h"

#include <QApplication>
#include <QWidget>

namespace {

void open(Harness& h)
{
    h.forms->start();
    h.forms->Tessera.Command7_Click();
    h.forms->CustomOp.Command9_Click();
    h.forms->CustomOp.Command9_Click();
    QApplication::processEvents();
}

double selectDrawFit(Harness& h, const QString& caption)
{
    auto& preview = h.forms->CustomPre;
    document::Card& card = preview.card();
    // Another line selected first, and a caption that differs from the last.
    preview.Label1_Click(1);
    const QString changed = card.line(0).Caption == caption ? caption.chopped(1) + QLatin1Char('#') : caption;
    return bench::timeMs([&] {
        card.setCaption(0, changed);
        preview.Label1_Click(0);
        (void)h.forms->CustomOp.window()->grab();
        (void)preview.window()->grab();
    });
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    configureTestApplication();

    Harness h;
    open(h);
    const QString ordinary = QStringLiteral("Line 1 text.");
    const QString longest(document::kMaxCaptionLength, QLatin1Char('W'));
    const auto result = bench::alternate(
        15, [&] { return selectDrawFit(h, ordinary); }, [&] { return selectDrawFit(h, longest); });
    std::printf("caption: a line of %d characters takes %.2f ms to select, draw and fit (a frame is 16.7 ms)\n",
                document::kMaxCaptionLength, result.subjectMs);
    bench::report("caption", result, 5);
    return 0;
}
