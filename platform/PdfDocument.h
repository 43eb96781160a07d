#pragma once

#include <QPageLayout>
#include <QPdfWriter>
#include <QString>

namespace platform {

// Writes pages as one vector PDF (every line and every text) into `out`, a
// file name or a device, at the layout and resolution given; `paint` draws
// them, starting new pages itself.
template <typename Out, typename Paint>
void writePdfDocument(Out out, const QPageLayout& layout, int resolution, const QString& title, const Paint& paint)
{
    QPdfWriter pdf(out);
    pdf.setPageLayout(layout);
    pdf.setResolution(resolution);
    pdf.setTitle(title);
    pdf.setCreator(QStringLiteral("Tessera"));
    paint(pdf);
}

}  // namespace platform
