#pragma once

#include <QPageLayout>
#include <QPdfWriter>
#include <QString>

namespace platform {

// Writes pages as one vector PDF (every line and every text) into `out`, a
// file name or a device, at the layout and resolution given, each page as it
// is finished; `paint` draws them, starting new pages itself. Once `stopped`
// says so (the device failed), no new page starts.
template <typename Out, typename Stopped, typename Paint>
void writePdfDocument(Out out, const QPageLayout& layout, int resolution, const QString& title, const Stopped& stopped,
                      const Paint& paint)
{
    class Writer final : public QPdfWriter {
    public:
        Writer(Out out, const Stopped& stopped) : QPdfWriter(out), stopped_(stopped) {}
        bool newPage() override { return !stopped_() && QPdfWriter::newPage(); }

    private:
        const Stopped& stopped_;
    };
    Writer pdf(out, stopped);
    pdf.setPageLayout(layout);
    pdf.setResolution(resolution);
    pdf.setTitle(title);
    pdf.setCreator(QStringLiteral("Tessera"));
    paint(static_cast<QPagedPaintDevice&>(pdf));
}

}  // namespace platform
